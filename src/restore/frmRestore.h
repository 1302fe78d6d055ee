// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QHash>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "platform/ZipArchiveComponent.h"
#include "ui/controls/VbAnimation.h"
#include "ui/controls/VbCheckBox.h"
#include "ui/controls/VbCommandButton.h"
#include "ui/controls/VbDriveListBox.h"
#include "ui/controls/VbFlexGrid.h"
#include "ui/controls/VbFrame.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbListBox.h"
#include "ui/controls/VbPictureBox.h"
#include "ui/controls/VbProgressBar.h"
#include "ui/controls/VbStatusBar.h"
#include "ui/controls/VbTextBox.h"
#include "ui/controls/VbToolbar.h"

class clsBlowfish;
class frmMain_BackUp;

// The search & restore window: the archives of a folder, a search of the
// names stored in them, and the restore of chosen hits to a drive. The main
// window's Restore command shows it modally (Show) while the main window is
// hidden; it takes the backup folder, the archive password and the status
// text of the main window when it loads.
class frmRestore : public QDialog {
    Q_OBJECT
public:
    explicit frmRestore(frmMain_BackUp* owner);
    ~frmRestore() override;

    // Loads the window and runs it modally; returns when it is closed.
    void Show();
    // Loads the window without showing it (Show does it first).
    void Load();

    // --- controls --------------------------------------------------------
    ui::VbToolbar* tbTools = nullptr;
    ui::VbLabel* Label20 = nullptr;
    ui::VbTextBox* txtPathSearch = nullptr;
    ui::VbCommandButton* cmdSearchPath = nullptr;
    ui::VbLabel* Label21 = nullptr;
    ui::VbListBox* List3 = nullptr;
    ui::VbLabel* lbl1 = nullptr;
    ui::VbTextBox* txtFileSearch = nullptr;
    ui::VbCheckBox* chkCaseSensitive = nullptr;
    ui::VbLabel* Label1 = nullptr;
    ui::VbTextBox* txtEncryptPassword = nullptr;
    ui::VbFrame* Frame1 = nullptr;
    ui::VbLabel* lblSearchedFiles = nullptr;
    ui::VbLabel* lblSearchedArchives = nullptr;
    ui::VbLabel* lblFoundFiles = nullptr;
    ui::VbLabel* lblFoundArchives = nullptr;
    ui::VbLabel* Label24 = nullptr;
    ui::VbLabel* Label25 = nullptr;
    ui::VbLabel* Label27 = nullptr;
    ui::VbLabel* Label28 = nullptr;
    ui::VbLabel* Label30 = nullptr;
    ui::VbLabel* Label22 = nullptr;
    ui::VbLabel* Label26 = nullptr;
    ui::VbDriveListBox* Drive1 = nullptr;
    ui::VbFlexGrid* FG3 = nullptr;
    ui::VbPictureBox* Image1 = nullptr;
    ui::VbAnimation* Animation2 = nullptr;
    ui::VbProgressBar* ProgressBar3 = nullptr;
    ui::VbStatusBar* sbStatusBar = nullptr;

    // --- event handlers --------------------------------------------------
    void Form_Load();
    void Form_Unload();
    void Form_Resize();
    void txtPathSearch_Change();
    void cmdSearchPath_Click();
    void cmdCacelSearch_Click();
    void cmdSearch_Click();
    void cmdRestore_Click();
    void FG3_DblClick();
    void tbTools_ButtonClick(const QString& Key);
    void tbTools_ButtonMenuClick(const QString& Key);
    void List3_GotFocus() {}
    void List3_LostFocus() {}

    // Window state of the search and the restore.
    bool bCancelSearch = false;
    bool bFirstFind = false;
    bool bFound = false;
    std::unique_ptr<platform::ZipArchiveComponent> oZip;
    std::unique_ptr<clsBlowfish> Cypher;

    // True while a search or a restore runs. A close then waits for its
    // end; a search also ends at its next step, as after a change of the
    // folder.
    bool Busy() const { return busy_; }

    // Where the restore's and the search's temporary copies go: the main
    // window's temp folder. Raises 91 without a main window.
    QString TempFolder() const;

    // The header of a result column ("File Name", ..., "Path").
    static QString ColumnHeader(int col);

    // For tests: called on the worker thread just before it reads an
    // archive's directory for the search (empty: nothing).
    static void SetBeforeReadingForTest(std::function<void()> hook);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The archive entry of a result row, checked against what the row shows.
    platform::ZipArchiveEntry RowEntry(const platform::ZipArchiveFiles& files, int row) const;
    // The main window this one was opened from (error 91 when there is none).
    frmMain_BackUp* mainForm() const;
    void buildControls();
    void buildToolbar();
    void connectEvents();
    void setToolbarState(bool searchOn, bool cancelOn, bool restoreOn);
    // The grid's column widths for its present width.
    void fitColumns();
    void placeOverMainWindow();
    void showCounters();
    void startClip(const QString& clip);
    void stopClip();
    QString clipPath(const QString& clip) const;

    frmMain_BackUp* owner_ = nullptr;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool busy_ = false;
    bool closeAfterBusy_ = false;
    // The widest text of each column that is shown whole (date, size,
    // index) among the rows of the search, noted as rows are added: the
    // column fitting measures these instead of every row. Texts that differ
    // only in their digits count as equally wide (digits are of one width).
    void noteWholeCell(int col, const QString& text);
    struct WidestCell {
        QString text;
        int shapeWidth = -1;   // none yet
    };
    std::array<WidestCell, 7> widestCells_;
    QHash<QString, int> digitShapeWidths_;
    // The four counters of a search; the labels show them whenever events run.
    qint64 searchedFiles_ = 0, searchedArchives_ = 0, foundFiles_ = 0, foundArchives_ = 0;
};

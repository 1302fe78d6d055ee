// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/frmRestore.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_FilePathInput.h"
#include "common/NRV_File_Dir.h"
#include "crypto/clsBlowfish.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/VbControl.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"
#include "common/MakerSite.h"
#include "ui/frmAbout.h"

using namespace ui;

namespace {

const QString kSettings = QStringLiteral("Settings");

// The grid's columns: header and least width in twips.
struct Column {
    const char* header;
    int width;
};
constexpr Column kColumns[] = {{"", 300},       {"File Name", 2800}, {"Date & Time", 2000}, {"File Size", 1000},
                               {"Archive", 2800}, {"Index", 500},     {"Path", 5000}};

// Places a control by its VB position and size in twips.
void Place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

}  // namespace

frmRestore::frmRestore(frmMain_BackUp* owner) : QDialog(owner), owner_(owner) {
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Search & Restore"));
    setModal(true);
    buildControls();
    buildToolbar();
    connectEvents();
    resize(TwipsToPixels(11400), TwipsToPixels(8400));
}

frmRestore::~frmRestore() = default;

void frmRestore::buildControls() {
    Label20 = new VbLabel(QStringLiteral("Label20"), QStringLiteral("Archive directory :"), this);
    txtPathSearch = new VbTextBox(QStringLiteral("txtPathSearch"), {}, this);
    cmdSearchPath = new VbCommandButton(QStringLiteral("cmdSearchPath"), QStringLiteral("..."), this);
    Label21 = new VbLabel(QStringLiteral("Label21"), QStringLiteral("Selected  ZIP archives (multi selections) :"),
                          this);
    List3 = new VbListBox(QStringLiteral("List3"), VbListBox::Style::Standard, this);
    List3->setSelectionMode(QAbstractItemView::MultiSelection);
    lbl1 = new VbLabel(QStringLiteral("lbl1"), QStringLiteral("Search  ZIP  archive(s) for the file name :"), this);
    txtFileSearch = new VbTextBox(QStringLiteral("txtFileSearch"), {}, this);
    chkCaseSensitive = new VbCheckBox(QStringLiteral("chkCaseSensitive"), QStringLiteral("Case sensitive"), this);
    Label1 = new VbLabel(QStringLiteral("Label1"), QStringLiteral("Archive Encryption Password :"), this);
    txtEncryptPassword = new VbTextBox(QStringLiteral("txtEncryptPassword"), {}, this);
    txtEncryptPassword->setPasswordMode(true);
    // The password comes from the main window unseen: typing replaces it.
    txtEncryptPassword->installEventFilter(this);
    Label26 = new VbLabel(QStringLiteral("Label26"), QStringLiteral("Restore to drive :"), this);
    Drive1 = new VbDriveListBox(QStringLiteral("Drive1"), this);

    Frame1 = new VbFrame(QStringLiteral("Frame1"), QStringLiteral("Statistics"), this);
    auto label = [this](const char* name, const QString& caption) {
        return new VbLabel(QString::fromLatin1(name), caption, Frame1);
    };
    Label24 = label("Label24", QStringLiteral("searched :"));
    lblSearchedFiles = label("lblSearchedFiles", QStringLiteral("0"));
    Label25 = label("Label25", QStringLiteral("files  in"));
    lblSearchedArchives = label("lblSearchedArchives", QStringLiteral("0"));
    Label27 = label("Label27", QStringLiteral("archives"));
    Label28 = label("Label28", QStringLiteral("found :"));
    lblFoundFiles = label("lblFoundFiles", QStringLiteral("0"));
    Label30 = label("Label30", QStringLiteral("files  in"));
    lblFoundArchives = label("lblFoundArchives", QStringLiteral("0"));
    Label22 = label("Label22", QStringLiteral("archives"));
    for (VbLabel* n : {lblSearchedFiles, lblSearchedArchives, lblFoundFiles, lblFoundArchives})
        n->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Image1 = new VbPictureBox(QStringLiteral("Image1"), this);
    Animation2 = new VbAnimation(QStringLiteral("Animation2"), this);
    Animation2->hide();
    ProgressBar3 = new VbProgressBar(QStringLiteral("ProgressBar3"), this);
    ProgressBar3->setTextVisible(false);
    FG3 = new VbFlexGrid(QStringLiteral("FG3"), this);
    FG3->setToolTip(QStringLiteral("Double Click on file to restore it"));
    FG3->setCols(7);
    // Long paths keep their beginning and their file name in sight.
    FG3->setTextElideMode(Qt::ElideMiddle);
    sbStatusBar = new VbStatusBar(QStringLiteral("sbStatusBar"), QStringLiteral("Status"), this);

    // Positions in twips below the toolbar.
    Place(Label20, 120, 640, 5000, 240);
    Place(txtPathSearch, 120, 880, 5000, 315);
    Place(cmdSearchPath, 5160, 880, 400, 315);
    Place(Label21, 120, 1260, 5440, 240);
    Place(List3, 120, 1500, 5440, 1140);
    Place(lbl1, 5800, 640, 5200, 240);
    Place(txtFileSearch, 5800, 880, 3100, 315);
    Place(chkCaseSensitive, 9020, 880, 1900, 315);
    Place(Label1, 5800, 1260, 3100, 240);
    Place(txtEncryptPassword, 5800, 1500, 3100, 315);
    Place(Label26, 5800, 1880, 3100, 240);
    Place(Drive1, 5800, 2120, 3100, 330);
    Place(Image1, 9600, 1500, 750, 750);
    Place(Animation2, 9600, 1500, 750, 750);
    Place(Frame1, 120, 2700, 7200, 780);
    // Inside the frame: "searched : <n> files  in <n> archives", "found : ..."
    const int col[] = {150, 1300, 2500, 3450, 4650};
    const int w[] = {1100, 1100, 900, 1100, 1200};
    const std::array<VbLabel*, 5> rows[2] = {
        {Label24, lblSearchedFiles, Label25, lblSearchedArchives, Label27},
        {Label28, lblFoundFiles, Label30, lblFoundArchives, Label22}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c)
            Place(rows[r][size_t(c)], col[c], 260 + r * 240, w[c], 240);
    Place(ProgressBar3, 120, 3540, 10750, 150);
    Place(FG3, 120, 3740, 10750, 3900);
}

void frmRestore::buildToolbar() {
    tbTools = new VbToolbar(QStringLiteral("tbTools"), this);
    tbTools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle* s = style();
    using S = VbToolButton::Style;
    tbTools->AddButton(QStringLiteral("exitsearch"), QStringLiteral("Exit Search"),
                       QStringLiteral("Exit Search && Restore Program"), S::Default,
                       s->standardIcon(QStyle::SP_DialogCloseButton));
    tbTools->AddSeparator();
    tbTools->AddButton(QStringLiteral("restore"), QStringLiteral("Restore Selected Files"),
                       QStringLiteral("Multiple selection is possible"), S::Default,
                       s->standardIcon(QStyle::SP_DialogSaveButton));
    tbTools->AddSeparator();
    tbTools->AddButton(QStringLiteral("cancel"), QStringLiteral("Cancel Search"),
                       QStringLiteral("Cancel current search"), S::Default,
                       s->standardIcon(QStyle::SP_BrowserStop));
    tbTools->AddButton(QStringLiteral("search"), QStringLiteral("Search Now ..."),
                       QStringLiteral("Search for defined file names"), S::Default,
                       s->standardIcon(QStyle::SP_FileDialogContentsView));
    tbTools->AddSeparator();
    const int help = tbTools->AddButton(QStringLiteral("help"), QStringLiteral("Help"), QStringLiteral("Get Help"),
                                        S::Dropdown, s->standardIcon(QStyle::SP_MessageBoxQuestion));
    tbTools->AddButtonMenu(help, QStringLiteral("Product"), QStringLiteral("Product description"));
    tbTools->AddButtonMenu(help, QStringLiteral("Tips"), QStringLiteral("Tips and Tricks"));
    tbTools->AddButtonMenu(help, QStringLiteral("Forum"), QStringLiteral("Support forum"));
    tbTools->AddButtonMenu(help, QStringLiteral("About"), QStringLiteral("About"));
    // A tool button drops a trailing "..." from its action's text unless the
    // icon text is set as it stands.
    tbTools->Buttons(QStringLiteral("search")).action()->setIconText(QStringLiteral("Search Now ..."));
    // Nothing to cancel before a search.
    tbTools->Buttons(QStringLiteral("cancel")).setEnabled(false);
}

void frmRestore::connectEvents() {
    connect(tbTools, &VbToolbar::ButtonClick, this, &frmRestore::tbTools_ButtonClick);
    connect(tbTools, &VbToolbar::ButtonMenuClick, this, &frmRestore::tbTools_ButtonMenuClick);
    connect(txtPathSearch, &VbTextBox::Change, this, &frmRestore::txtPathSearch_Change);
    connect(cmdSearchPath, &VbCommandButton::Click, this, &frmRestore::cmdSearchPath_Click);
    connect(FG3, &VbFlexGrid::DblClick, this, &frmRestore::FG3_DblClick);
}

void frmRestore::Show() {
    Load();
    if (!unloaded_) {
        placeOverMainWindow();
        exec();
    }
}

// Centred on the main window (on its screen when it was never placed), and
// kept on that screen.
void frmRestore::placeOverMainWindow() {
    QRect over;
    QScreen* screen = nullptr;
    if (owner_ && owner_->testAttribute(Qt::WA_WState_Created) && owner_->frameGeometry().isValid()) {
        over = owner_->frameGeometry();
        screen = owner_->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    if (over.isEmpty())
        over = room;
    QRect frame = frameGeometry();
    frame.moveCenter(over.center());
    frame.moveLeft(std::max(room.left(), std::min(frame.left(), room.right() - frame.width())));
    frame.moveTop(std::max(room.top(), std::min(frame.top(), room.bottom() - frame.height())));
    move(frame.topLeft());
}

bool frmRestore::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtEncryptPassword && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, txtEncryptPassword, [box = txtEncryptPassword] {
            if (box->hasFocus())
                box->selectAll();
        });
    }
    return QDialog::eventFilter(watched, event);
}

QString frmRestore::ColumnHeader(int col) {
    return col >= 0 && col < int(std::size(kColumns)) ? QString::fromLatin1(kColumns[col].header) : QString();
}

void frmRestore::fitColumns() {
    // The least widths, each wide enough for its header; what is left of the
    // grid's width goes to the name, the archive and the path (the path
    // taking the most), and when the grid is narrower than the least widths
    // these three give way, so that all columns stay in sight.
    const int cols = std::min(FG3->Cols(), int(std::size(kColumns)));
    const QFontMetrics fm = FG3->horizontalHeader()->fontMetrics();
    int want[7] = {};
    int fixed = 0;
    for (int c = 0; c < cols; ++c) {
        want[c] = std::max(TwipsToPixels(kColumns[c].width),
                           fm.horizontalAdvance(QString::fromLatin1(kColumns[c].header)) + 2 * fm.averageCharWidth() + 8);
        if (c != 1 && c != 4 && c != 6) {
            // Dates, sizes and indexes are shown whole.
            const QFontMetrics cells = FG3->fontMetrics();
            if (c != 0 && FG3->Rows() > 1 && widestCells_[size_t(c)].shapeWidth >= 0)
                want[c] = std::max(want[c], cells.horizontalAdvance(widestCells_[size_t(c)].text) +
                                                2 * cells.averageCharWidth() + 8);
            fixed += want[c];
        }
    }
    // Room is kept for a vertical scroll bar, which rows added later bring.
    int width = FG3->viewport()->width();
    if (!FG3->verticalScrollBar()->isVisible())
        width -= FG3->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FG3);
    const int room = std::max(0, width - fixed);
    const int shares[7] = {0, 3, 0, 0, 3, 0, 6};
    const int least = fm.averageCharWidth() * 10;
    for (int c = 0; c < cols; ++c) {
        if (shares[c] == 0)
            FG3->setColumnWidth(c, want[c]);
        else
            FG3->setColumnWidth(c, std::max(least, room * shares[c] / 12));
    }
}

void frmRestore::noteWholeCell(int col, const QString& text) {
    QString shape = text;
    for (QChar& ch : shape)
        if (ch >= QLatin1Char('1') && ch <= QLatin1Char('9'))
            ch = QLatin1Char('0');
    auto at = digitShapeWidths_.constFind(shape);
    if (at == digitShapeWidths_.constEnd()) {
        if (digitShapeWidths_.size() >= 4096)
            digitShapeWidths_.clear();
        at = digitShapeWidths_.insert(shape, FG3->fontMetrics().horizontalAdvance(shape));
    }
    WidestCell& widest = widestCells_[size_t(col)];
    if (*at > widest.shapeWidth) {
        widest.text = text;
        widest.shapeWidth = *at;
    }
}

void frmRestore::Load() {
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

frmMain_BackUp* frmRestore::mainForm() const {
    frmMain_BackUp* m = owner_ ? owner_ : fMainForm;
    if (!m)
        vb::Raise(vb::errObjectNotSet, QStringLiteral("No main window"));
    return m;
}

QString frmRestore::TempFolder() const { return mainForm()->txtPathTemp->Text(); }

void frmRestore::Form_Load() {
    vb::Handler h(QStringLiteral("form_load of Formular frmRestore"));
    frmMain_BackUp* m = nullptr;
    if (!h.Next(1, [&] {
            m = mainForm();
            txtPathSearch->setText(m->txtPathBackUp->Text());
        }))
        return;
    h.Next(2, [&] {
        txtFileSearch->setText(
            platform::GetSetting(settings::UserSettingsApp(), kSettings, QStringLiteral("txtFileSearch"), QStringLiteral("*.*")));
    });
    h.Next(3, [&] {
        chkCaseSensitive->setValue(int(vb::Val(platform::GetSetting(settings::UserSettingsApp(), kSettings,
                                                                    QStringLiteral("chkCaseSensitive"),
                                                                    QStringLiteral("0")))));
    });
    h.Next(4, [&] { sbStatusBar->setPanelText(1, m->sbStatusBar->PanelText(1)); });
    h.Next(5, [&] { txtEncryptPassword->setText(m->txtEncryptPassword->Text()); });
}

void frmRestore::Form_Unload() {
    if (unloaded_)
        return;
    vb::Handler h(QStringLiteral("Form_Unload of Formular frmRestore"));
    h.Next(1, [&] {
        platform::SaveSetting(settings::UserSettingsApp(), kSettings, QStringLiteral("txtFileSearch"), txtFileSearch->Text());
    });
    h.Next(2, [&] {
        platform::SaveSetting(settings::UserSettingsApp(), kSettings, QStringLiteral("chkCaseSensitive"),
                              QString::number(chkCaseSensitive->Value()));
    });
    h.Next(3, [&] { oZip.reset(); });
    unloaded_ = true;
    done(0);
}

void frmRestore::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // The search ends at its next step, cleans up, and closes the window.
        bCancelSearch = true;
        closeAfterBusy_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmRestore::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmRestore::Form_Resize() {
    // The grid and the progress bar follow the window's size; a window too
    // small for the rule keeps them at their smallest.
    tbTools->setGeometry(0, 0, width(), tbTools->sizeHint().height());
    const int sbHeight = sbStatusBar->sizeHint().height();
    sbStatusBar->setGeometry(0, height() - sbHeight, width(), sbHeight);
    const float wTwips = PixelsToTwips(frameGeometry().width());
    const int gridWidth = std::max(TwipsToPixels(wTwips - 650), TwipsToPixels(1500));
    // The grid takes all the height down to the status bar.
    const int gridHeight = std::max(height() - sbHeight - FG3->y() - TwipsToPixels(60), TwipsToPixels(600));
    FG3->resize(gridWidth, gridHeight);
    ProgressBar3->resize(gridWidth, ProgressBar3->height());
    fitColumns();
}

void frmRestore::txtPathSearch_Change() {
    vb::Handler h(QStringLiteral("txtPathSearch_Change of Formular frmMain_BackUp"));
    // Another folder ends a running search at its next step.
    if (busy_)
        bCancelSearch = true;
    frmMain_BackUp* m = nullptr;
    h.Next(1, [&] { List3->Clear(); });
    if (!h.Next(1, [&] { m = mainForm(); }))
        return;
    const QString folder = txtPathSearch->Text();
    if (!folder.trimmed().isEmpty()) {
        h.Next(2, [&] { List3->AddItem(LangText(243)); });
        // Only a folder that is there is listed: typing a path must not
        // create a folder for every text on the way to it.
        if (DirExists(folder)) {
            h.Next(3, [&] {
                m->File1->setPath(folder);
                for (int i = 0; i < m->File1->ListCount(); ++i) {
                    const QString name = m->File1->List(i);
                    const QString ext = name.right(3).toLower();
                    if (ext == QLatin1String("zip") || ext == QLatin1String("cry"))
                        List3->AddItem(name);
                }
            });
        }
        h.Next(4, [&] {
            List3->setListIndex(0);
            List3->setSelected(0, true);
        });
    }
    h.Next(5, [&] { m->File1->setPath(QStringLiteral("C:")); });
}

void frmRestore::cmdSearchPath_Click() {
    vb::Handler h(QStringLiteral("cmdSearchPath_Click of Formular frmMain_BackUp"));
    QString chosen;
    h.Next(1, [&] {
        chosen = BrowseForFolder(this, QStringLiteral("Select a Folder where the ZIP archives are located"),
                                 platform::ProgramFolder(), QVariant(), false);
    });
    if (!chosen.isEmpty())
        h.Next(2, [&] { txtPathSearch->setText(chosen); });
}

void frmRestore::cmdCacelSearch_Click() {
    vb::Handler h(QStringLiteral("cmdCacelSearch_Click of Formular frmMain_BackUp"));
    h.Next(1, [&] { bCancelSearch = true; });
}

void frmRestore::FG3_DblClick() {
    vb::Quiet([&] { cmdRestore_Click(); });
}

void frmRestore::tbTools_ButtonClick(const QString& Key) {
    vb::Quiet([&] {
        if (Key == QLatin1String("exitsearch"))
            close();
        else if (Key == QLatin1String("restore"))
            cmdRestore_Click();
        else if (Key == QLatin1String("cancel"))
            cmdCacelSearch_Click();
        else if (Key == QLatin1String("search"))
            cmdSearch_Click();
        // "help" itself only carries its menu.
    });
}

void frmRestore::tbTools_ButtonMenuClick(const QString& Key) {
    vb::Quiet([&] {
        if (Key == QLatin1String("Forum")) {
            platform::ShellOpen(MakerPage(QStringLiteral("/cgi-bin/forum/x-forum.cgi?show=subject&page=1&subject=") +
                                          ProductCode));
        } else if (Key == QLatin1String("About")) {
            frmAbout about(this);
            about.ShowModal();
        }
        // "Product" and "Tips" have no page of their own here.
    });
}

void frmRestore::setToolbarState(bool searchOn, bool cancelOn, bool restoreOn) {
    tbTools->Buttons(QStringLiteral("search")).setEnabled(searchOn);
    tbTools->Buttons(QStringLiteral("cancel")).setEnabled(cancelOn);
    tbTools->Buttons(QStringLiteral("restore")).setEnabled(restoreOn);
}

void frmRestore::showCounters() {
    lblSearchedFiles->setCaption(QString::number(searchedFiles_));
    lblSearchedArchives->setCaption(QString::number(searchedArchives_));
    lblFoundFiles->setCaption(QString::number(foundFiles_));
    lblFoundArchives->setCaption(QString::number(foundArchives_));
}

QString frmRestore::clipPath(const QString& clip) const {
    return platform::ProgramFolder() + QStringLiteral("\\..\\Common\\avi\\") + clip;
}

void frmRestore::startClip(const QString& clip) {
    Animation2->Open(clipPath(clip));
    Animation2->show();
    Animation2->Play();
}

void frmRestore::stopClip() {
    vb::Quiet([&] { Animation2->Stop(); });
    Animation2->hide();
    Image1->show();
    vb::Quiet([&] { Animation2->Close(); });
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QMainWindow>
#include <QScrollArea>
#include <functional>
#include <memory>
#include <vector>

#include "ui/controls/ControlArray.h"
#include "ui/controls/VbAniGif.h"
#include "ui/controls/VbAnimation.h"
#include "ui/controls/VbCheckBox.h"
#include "ui/controls/VbCommonDialog.h"
#include "ui/controls/VbComboBox.h"
#include "ui/controls/VbCommandButton.h"
#include "ui/controls/VbDatePicker.h"
#include "ui/controls/VbFileListBox.h"
#include "ui/controls/VbFolderTree.h"
#include "ui/controls/VbFrame.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbListBox.h"
#include "ui/controls/VbOptionButton.h"
#include "ui/controls/VbPictureBox.h"
#include "ui/controls/VbProgressBar.h"
#include "ui/controls/VbRichTextBox.h"
#include "ui/controls/VbSlider.h"
#include "ui/controls/VbStatusBar.h"
#include "ui/controls/VbTabControl.h"
#include "ui/controls/VbTextBox.h"
#include "ui/controls/VbTimer.h"
#include "ui/controls/VbToolbar.h"
#include "ui/WindowPlacement.h"
#include "platform/TaskScheduler.h"
#include "platform/ZipArchiveComponent.h"

class QAction;
class QMenu;
class QTimer;
class clsBlowfish;
namespace platform {
class CDWriterXP;
class FsoFolder;
class InetControl;
}

// The main window. Every control is a public member named like the control
// (its objectName is that name; an element of a control array is named
// "<name>_<index>"). The window holds the active profile's options in its
// controls; the rest of the program reads and writes them directly.
//
// Event handlers are the member functions `<control>_<event>`; each is
// connected to its control's signal when the window is built, so a value
// set by the program runs the handler at once, as a user's change does.
class frmMain_BackUp : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain_BackUp(QWidget* parent = nullptr);
    ~frmMain_BackUp() override;
    // Puts the pages that wait for their scroll areas into them first.
    void setVisible(bool visible) override;

    // --- form properties -------------------------------------------------
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    // Position and size of the window frame in twips.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    // 0 normal, 1 minimised, 2 maximised.
    int WindowState() const;
    void setWindowState(int state);
    // Redraws the window at once.
    void Refresh();
    // Shows a menu at the mouse position and returns when it closes.
    void PopupMenu(QMenu* menu);
    // Unloads the window: Form_QueryUnload, then Form_Unload, then it
    // closes. Returns false when Form_QueryUnload cancelled.
    bool Unload();
    // Puts the window into the notification area (its icon's menu is
    // mnuPopup; Show or a double click brings it back). Where the desktop
    // has no notification area the window is minimised instead.
    void cmdSetTray();

    // --- profiles and the toolbar's own commands (frmMain_Profiles.cpp,
    // frmMain_Toolbar.cpp) ---
    // Saves the options and sources as the profile named in txtProfile and
    // makes it the shown one.
    void cmdSaveProfile();
    // The toolbar's Save (asks for the name), Delete and New.
    void SaveProfileAs();
    void DeleteProfile();
    void NewProfile();
    // The toolbar's Home: opens the maker's home page and loads the news
    // page into the run log.
    void LoadNews();
    // The toolbar's Update: the version check with the options frame
    // hidden, the wait cursor, the Update button disabled and the update
    // clip playing; each is undone when the check ends.
    void CheckForUpdate();
    // The fuller listing of the window's texts, added to "vaultora.eng";
    // nothing in the window calls it.
    void Dump_Language_File();

    // Every control in the order the window holds them (menu entries and
    // timers included), as VB's Controls collection.
    const QList<QObject*>& Controls() const { return controls_; }

    // --- controls --------------------------------------------------------
    // window, menus and status
    ui::VbToolbar* tbTools = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuShow = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuExit1 = nullptr;
    QAction* mnuHelp1 = nullptr;
    QAction* mnuAbout = nullptr;
    ui::VbTabControl* SSTab1 = nullptr;
    ui::VbTabControl* SSTab2 = nullptr;
    ui::VbRichTextBox* RtbNews1 = nullptr;
    ui::VbTextBox* txtNews = nullptr;
    ui::VbStatusBar* sbStatusBar = nullptr;
    ui::VbPictureBox* ErrorIndicator = nullptr;
    ui::VbLabel* lblError = nullptr;
    ui::VbAnimation* Animation1 = nullptr;
    ui::VbAnimation* Animation2 = nullptr;
    ui::VbAniGif* AniGIF1 = nullptr;
    ui::VbProgressBar* ProgressBar1 = nullptr;
    ui::VbProgressBar* ProgressBar2 = nullptr;
    ui::VbProgressBar* ProgressBar3 = nullptr;
    ui::VbTimer* TimerRT = nullptr;
    ui::VbTimer* tmrtimeout = nullptr;

    // profile and user options
    ui::VbComboBox* cmbProfiles = nullptr;
    ui::VbTextBox* txtProfile = nullptr;
    ui::VbComboBox* cmbLanguage = nullptr;
    ui::VbCheckBox* chkProfileStandard = nullptr;
    ui::VbCheckBox* chkSound = nullptr;
    ui::VbCheckBox* chkSystray = nullptr;
    ui::VbCheckBox* chkWinOnTop = nullptr;
    ui::VbCheckBox* chkStartWithWindow = nullptr;
    ui::VbCheckBox* chkSelectionWarning = nullptr;

    // backup mode and sources
    ui::VbFrame* Frame2 = nullptr;
    ui::ControlArray<ui::VbOptionButton, 0, 2> optBuMode;
    ui::VbPictureBox* pctArchive = nullptr;
    ui::ControlArray<ui::VbOptionButton, 0, 2> optArchive;
    ui::VbPictureBox* picSync = nullptr;
    ui::VbLabel* Label22 = nullptr;
    ui::ControlArray<ui::VbLabel, 0, 0> Label1;
    ui::VbListBox* List1 = nullptr;
    ui::VbCommandButton* cmdSelect = nullptr;
    ui::VbCommandButton* cmdUnselect = nullptr;
    ui::VbCommandButton* cmdExclude = nullptr;
    ui::VbFolderTree* FolderTreeview1 = nullptr;
    ui::VbFileListBox* File1 = nullptr;
    ui::VbCommandButton* cmdDirPlus = nullptr;
    ui::VbCommandButton* cmdSubPlus = nullptr;
    ui::VbCommandButton* cmdFilesPlus = nullptr;
    ui::VbCheckBox* chkAddNewSub = nullptr;
    ui::VbLabel* Label26 = nullptr;
    ui::ControlArray<ui::VbLabel, 0, 0> Label41;
    ui::ControlArray<ui::VbLabel, 0, 0> Label43;
    ui::ControlArray<ui::VbLabel, 0, 0> Label44;
    ui::VbLabel* Label18 = nullptr;
    ui::VbLabel* Label19 = nullptr;
    ui::VbLabel* Label42 = nullptr;
    ui::VbLabel* Label56 = nullptr;

    // run counters
    ui::VbTextBox* txtZipSize = nullptr;
    ui::VbTextBox* txtAnzFiles = nullptr;
    ui::VbTextBox* txtTotalFiles = nullptr;
    ui::VbTextBox* txtTotalSize = nullptr;
    ui::VbTextBox* txtCompSize = nullptr;
    ui::VbTextBox* txtBackUpTime = nullptr;
    ui::VbTextBox* txtRemainSpace = nullptr;
    ui::VbTextBox* txtZipArchive = nullptr;

    // filters and options
    ui::VbFrame* Frame7 = nullptr;
    ui::VbCheckBox* chkHiddenFolders = nullptr;
    ui::VbCheckBox* chkResetArchiveBit = nullptr;
    ui::VbOptionButton* optNewOnly = nullptr;           // element 0
    ui::VbOptionButton* optComplete = nullptr;          // element 1
    ui::VbOptionButton* optCompleteNoFilter = nullptr;  // element 0
    ui::VbFrame* Frame5 = nullptr;
    ui::VbFrame* Frame12 = nullptr;
    ui::VbFrame* Frame4 = nullptr;
    ui::VbFrame* Frame8 = nullptr;
    ui::VbTextBox* txtExclusions = nullptr;
    ui::VbTextBox* txtDirExclusions = nullptr;
    ui::VbTextBox* txtInclusions = nullptr;
    ui::VbCheckBox* chkExclOldFiles = nullptr;
    ui::VbCheckBox* chkExclYoungFiles = nullptr;
    ui::VbCheckBox* chkExclYoungDayFiles = nullptr;
    ui::VbTextBox* txtExclYoungDay = nullptr;
    ui::VbDatePicker* DTPicker1 = nullptr;
    ui::VbDatePicker* DTPicker2 = nullptr;
    ui::VbSlider* Slider1 = nullptr;
    ui::VbCheckBox* chkMaxFiles = nullptr;
    ui::VbTextBox* txtMaxFiles = nullptr;
    ui::VbCheckBox* chkMaxZIPsize = nullptr;
    ui::VbTextBox* txtMaxZIPsize = nullptr;
    ui::VbCheckBox* chkSplit = nullptr;
    ui::VbCheckBox* chkAppendArchive = nullptr;
    ui::VbCheckBox* chkDeleteArchive = nullptr;
    ui::VbTextBox* txtDeleteArchive = nullptr;
    ui::VbCheckBox* chkEncrypt = nullptr;
    ui::VbCheckBox* chkRemeberPassword = nullptr;
    ui::VbTextBox* txtEncryptPassword = nullptr;
    ui::VbCheckBox* chkWriteLog = nullptr;
    ui::VbCheckBox* chkOverwriteFile = nullptr;
    ui::VbCheckBox* chkInclSubDirStruct = nullptr;
    ui::VbCheckBox* chkInclRegistry = nullptr;
    ui::VbOptionButton* optRegistryTXT = nullptr;
    ui::VbOptionButton* optRegistryREG = nullptr;
    ui::VbCheckBox* chkInclOutlook = nullptr;
    ui::VbCheckBox* chkInclOutlookE = nullptr;
    ui::VbCheckBox* chkShutdown = nullptr;

    // statistics
    ui::VbFrame* frmZipStatistc = nullptr;
    ui::VbLabel* lblAnzOfArchives = nullptr;
    ui::VbLabel* lblTotalSizeOfArchives = nullptr;
    ui::VbLabel* lblNumberOfBackups = nullptr;
    ui::VbLabel* lblLastBackupDate = nullptr;
    ui::VbLabel* lblAverageBuTime = nullptr;
    ui::VbLabel* lblTotalNumOfFiles = nullptr;

    // destinations
    ui::VbCheckBox* chkMedia = nullptr;
    ui::VbCheckBox* chkFTP = nullptr;
    ui::VbCheckBox* chkSendEmail = nullptr;
    ui::VbCommandButton* cmdSetupMedia = nullptr;
    ui::VbCommandButton* cmdSetupFTP = nullptr;
    ui::VbCommandButton* cmdSetupEmail = nullptr;
    ui::VbFrame* Frame3 = nullptr;
    ui::VbFrame* Frame10 = nullptr;
    ui::VbFrame* Frame11 = nullptr;
    ui::VbLabel* Label4 = nullptr;
    ui::VbTextBox* txtPathBackUp = nullptr;
    ui::VbCommandButton* cmdSelectPath = nullptr;
    ui::VbTextBox* txtPathTemp = nullptr;
    ui::VbCommandButton* cmdSelectPathTemp = nullptr;
    ui::VbTextBox* txtSpareSpace = nullptr;
    ui::ControlArray<ui::VbLabel, 0, 11> lblDriveInfo;
    ui::ControlArray<ui::VbLabel, 0, 11> lblDesc;
    ui::VbCheckBox* chkUseCDRecorder = nullptr;
    ui::VbComboBox* cboDevices = nullptr;
    ui::VbComboBox* cboWriteSpeed = nullptr;
    ui::VbCheckBox* chkUseBurnProof = nullptr;
    ui::VbTextBox* txtFTPserver = nullptr;
    ui::VbTextBox* txtFTPport = nullptr;
    ui::VbTextBox* txtFTPuser = nullptr;
    ui::VbTextBox* txtFTPpassword = nullptr;
    ui::VbTextBox* txtFTPProxy = nullptr;
    ui::VbCheckBox* chkProxy = nullptr;
    ui::VbTextBox* txtFTPdir = nullptr;
    ui::VbTextBox* txtFTPrestoreDir = nullptr;
    ui::VbTextBox* txtRetrieveMask = nullptr;
    ui::VbListBox* lstServerFiles = nullptr;
    ui::VbLabel* lblFTPstatus = nullptr;
    ui::VbCommandButton* cmdFTPretrieve = nullptr;
    ui::VbCommandButton* cmdTestFTPconnection = nullptr;
    ui::VbCommandButton* cmdSelectPathFTPrestore = nullptr;
    // The transfer controls (HTTP and FTP), made by their first user.
    platform::InetControl* Inet1 = nullptr;
    platform::InetControl* Inet2 = nullptr;
    ui::VbCommandButton* cmdConfigAS = nullptr;

    // programs before and after a run, synchronisation
    ui::VbCheckBox* chkRunBefore = nullptr;
    ui::VbCheckBox* chkRunAfter = nullptr;
    ui::VbTextBox* txtPathBefore = nullptr;
    ui::VbTextBox* txtCommandlineBefore = nullptr;
    ui::VbTextBox* txtPathAfter = nullptr;
    ui::VbTextBox* txtCommandlineAfter = nullptr;
    ui::VbCommandButton* cmdSelectPathBefore = nullptr;
    ui::VbCommandButton* cmdSelectPathAfter = nullptr;
    ui::ControlArray<ui::VbOptionButton, 0, 2> optWaitBefore;
    ui::ControlArray<ui::VbOptionButton, 3, 5> optWaitAfter;
    ui::VbTextBox* txtWaitSecondsBefore = nullptr;
    ui::VbTextBox* txtWaitSecondsAfter = nullptr;
    ui::VbTextBox* txtSourceSync = nullptr;
    ui::VbTextBox* txtDestinySync = nullptr;
    ui::VbCommandButton* cmdSelectSyncSourceDirectory = nullptr;
    ui::VbCommandButton* cmdSelectSyncDestinyDirectory = nullptr;
    ui::VbCommonDialog* dlgCommonDialog = nullptr;  // the program pickers' open-file dialog
    ui::VbCheckBox* chkSyncBothDirections = nullptr;
    ui::VbCheckBox* chkSyncSubDirs = nullptr;

    // schedule and utilities
    ui::VbListBox* lstTasks = nullptr;
    ui::VbCommandButton* cmdNew = nullptr;
    ui::VbCommandButton* cmdProps = nullptr;
    ui::VbCommandButton* cdmDelete = nullptr;
    ui::VbCommandButton* cmdRun = nullptr;
    ui::ControlArray<ui::VbLabel, 0, 4> lblInfo;
    ui::VbCommandButton* Command1 = nullptr;
    ui::VbLabel* Label32 = nullptr;
    ui::VbLabel* lblNRVHome = nullptr;
    ui::VbLabel* Label7 = nullptr;

    // --- the backup run in ZIP mode (defined in src/run) -----------------
    // The whole run of the current profile, from Start or "/run".
    void cmdBackUpNow();
    // Names, finds and opens the working archive; NewVolume finishes the
    // current volume first. False after a failure it has reported.
    bool Open_Zip(bool NewVolume);
    // One file into the archive (the rule for new files only applied).
    bool Zip_Now(const QString& File);
    bool Zip_Wanted(const QString& File);
    // `StoredAs`, when given, is the Windows path the entry is named after
    // (a piece of a split file stands beside the file itself).
    bool WriteToZip(const QString& File, const QString& StoredAs = {});
    // Finishes one volume: test, encryption, destination, notice, upload.
    void Zip_Copy(bool CleanTemp, bool BurnNow);
    // Asks for a new medium (Cancel ends the program); flag opens a new
    // volume on it.
    void Insert_new_media(bool flag);
    // The same with the "insert a disc" clip playing and the window drawn
    // first.
    void AskForNewMedium(bool flag);
    // Copy mode: one file copied as a plain file.
    bool Copy_Now(const QString& File);
    // The Stop command (toolbar button 4): the run ends at its next test
    // point between files.
    void cmdCancelBackUp_Click();

    // The run's state, set for each run.
    std::unique_ptr<platform::ZipArchiveComponent> ZipArchive;
    clsBlowfish* Cypher = nullptr;  // the cipher at work, for its Progress
    double ZipSizeLimit = 0;        // bytes
    QString BackupDestination;
    QString BackupTempPath;
    qint16 CurrentFileAttr = 0;
    qint16 LogFileNo = 0;
    double TotalUncompressed = 0;
    double TotalCompressed = 0;
    double CurrentZipSize = 0;
    double CurrentFileSize = 0;
    // The name shown for the last volume of this run that reached its
    // destination ("" before the first).
    QString DeliveredArchive;

    // Why a ZIP run of the profile as shown cannot use its temporary folder
    // ("" when it can): the folder is the destination folder, where the
    // run's working files would stand beside (and under the names of) the
    // archives kept there.
    QString TempFolderClash();
    // Says so in a message box when the profile just loaded has that clash
    // (not in an unattended start: its run refuses and logs why).
    void WarnOfTempFolderClash();
    // Why the filters of the profile as shown cannot be used ("" when they
    // can): a mask in use that cannot be read.
    QString UnreadableFilter();
    // Why the profile as shown cannot be run at all ("" when it can): one of
    // the two above, or nothing ticked to back up.
    QString ProfileRefusal();

private:
    bool RunSynchronisation();
    void CloseRun();
    void RemoveLeftoversOfAKilledRun();
    // The working files this run has made in the temporary folder (Windows
    // paths): the working archives, their encrypted copies and their logs.
    // Only these are deleted when a volume is finished and when the run
    // ends; a file handed on (kept below "undelivered", or waiting for the
    // e-mail notice) is no longer the run's.
    QStringList workFiles_;
    void NoteWorkFile(const QString& path);
    void DeleteWorkFiles();
    void SendMailNoticeOnly();
    void ReportUncopyable(const QString& folder);
    bool StoreTooLarge(const QString& File);
    void DeleteOldArchives();
    bool DecryptArchive(const QString& inPath, const QString& outPath);
    QString ArchiveKey() const;
    int SelectedArchivePeriod() const;
    static void AdvanceBar(ui::VbProgressBar* bar, float& value, float step);
    bool waitCursorSet_ = false;
    // Files of the current volume whose archive attribute is to be cleared
    // once the volume has reached its destination, with the size and time
    // they were stored with.
    struct StoredFile {
        QString hostPath;  // taken right after the file was read
        qint64 size;
        qint64 writtenSecs;  // modification time, seconds since 1970
    };
    std::vector<StoredFile> storedFiles_;
    void SettleArchiveBits(bool clear);
    static void ClearArchiveBits(const std::vector<StoredFile>& files);

    // --- the disc image of the run (defined in src/run/DiscDelivery.cpp) --
    // What this run has put on the disc image and the disc does not hold
    // yet: each volume or copied file, the files whose archive flags wait for
    // the write, and the working files the image reads it from.
    struct OnDiscImage {
        QString what;
        std::vector<StoredFile> files;
        QString archive;   // a volume's working archive ("" for a copied file)
    };
    std::vector<OnDiscImage> onDiscImage_;
    // Working archives of this run that no destination got: kept at the
    // run's end, out of the way of the temporary folder's clean-up.
    QStringList undeliveredToDisc_;
    void KeepUndeliveredToDisc();
    // Puts the files into the image folder `folder`. When the image then no
    // longer fits the disc they are taken out again, what the image held
    // before is written, and a new disc is asked for: OK tries again on it,
    // Cancel leaves them off every disc. True when they are on the image;
    // otherwise *why says why not.
    bool PutOnDiscImage(const QString& folder, const QStringList& files, QString* why);
    // Writes the disc image, when it holds anything. What it held is then on
    // the disc (its files' archive flags are cleared) or, when the write
    // failed, reported as not backed up. True when written.
    bool WriteDiscImage();
    // What the image still holds is on no disc: each is reported with `why`.
    void DiscImageNotWritten(const QString& why);
    // One delivery to the disc that did not happen: its error-log line, and
    // its working archive (if any) to be kept.
    void LeftOffDisc(const QString& what, const QString& why, const QString& archive);
    // The volume reached another destination (the server): it is not kept
    // when the disc does not get it.
    void DeliveredElsewhere(const QString& archive);

public:
    // --- file search and filters (defined in src/run/FileSelection.cpp) --
    // The files of the source folder being backed up: full paths from index
    // 0, then one empty element. The run resets it to one empty element
    // before each folder; Find_Files fills it.
    QStringList FileList;
    // The archive attribute of the candidate file, set by the run per file.
    bool CurrentArchiveBit = false;
    // Lists the files of a folder entry ("<folder>\*.*") into FileList.
    void Find_Files(const QString& Mask);
    // True: the run skips the file.
    bool File_Filter(const QString& File);
    // The file name matches a mask of BackupExclusions / BackupInclusions.
    bool File_Excluded(const QString& File);
    bool File_Included(const QString& File);
    // The path cut to at most NewPathLen characters, head "..." tail.
    QString shorten_path(QString TmpStr, qint16 NewPathLen);

    // --- CD recorder and e-mail notice (defined in src/destinations) ----
    // Free bytes of the disc in the selected recorder (0 on failure).
    qint64 FreeCdSpace();
    // The CD-writer component, created at its first use; its events run the
    // CDWriterXP1_ handlers.
    platform::CDWriterXP* CDWriterXP1();
    // The recorder controls can be used unless a disc is being written.
    void EnableCdRecorderControls();
    // Fills the destination panel from the disc in the recorder.
    void SetStatusCDR();
    // Starts the e-mail notice for a finished archive in the temp folder.
    // `ended`, when given, is told once whether the notice arrived.
    void SendMailNotice(const QString& ArchivePath, std::function<void(bool)> ended = {});

    // --- scheduled tasks (src/ui/frmMain_Tasks.cpp) -----------------------
    // Fills lstTasks with the scheduler's jobs again (the selected one stays
    // selected).
    void RefreshList();
    // The texts of the bits set in a job's flag word.
    static QString GetTaskFlagsText(qint32 flags);

    // True while Load_Settings fills the controls: the option rules then
    // keep the values valid without showing their messages.
    bool LoadingSettings = false;
    // Files of the run left out by the filters (and as hidden), and left out
    // as unchanged by the new-files-only rule; the note when nothing was stored.
    int runFilteredOut_ = 0;
    int runUnchanged_ = 0;
    QString NothingStoredNote() const;
    // The last spare space the box took; a number beyond range gives it back.
    QString spareSpaceTaken_ = QStringLiteral("0");

    // --- source selection list and folder exclusion -----------------------
    // Defined with the settings procedures (src/settings/SourceList.cpp).
    // AddItem adds the files selected in File1 (OnlyFile) or the folder
    // AddPath (File1's folder when empty), with WithSubs its whole tree; each
    // new entry is ticked; duplicates (ignoring case), paths holding
    // "Backup_" and excluded folders are passed over, duplicates with a
    // message when PopMessage is in force and chkSelectionWarning is 1.
    void AddItem(bool& OnlyFile, bool& WithSubs, QString& AddPath, bool& PopMessage);
    void AddSub(platform::FsoFolder wshRoot, bool& WithSubs, bool& PopMessage);
    void Add_to_List1(QString& ItemToAdd, bool& PopMessage);
    // The index of the first List1 entry equal to Item ignoring case, or -1.
    qint32 VerificaDup(const QString& Item);
    // The last folder name of Path matches a folder exclusion mask.
    bool File_DirExcluded(const QString& Path);

public slots:
    // --- form events ---
    void Form_Load();
    void Form_QueryUnload(int& Cancel, int UnloadMode);
    void Form_Unload(int& Cancel);
    void Form_Resize();

    // --- menus and toolbar ---
    void mnuHelp_Click();
    void mnuShow_Click();
    void mnuExit_Click();
    void mnuExit1_Click();
    void mnuHelp1_Click();
    void mnuAbout_Click();
    void mnuProduct_Click();
    void tbTools_ButtonClick(const QString& Key);
    void tbTools_ButtonMenuClick(const QString& Key);

    // --- backup mode and destination panels ---
    void optBuMode_Click(int Index);
    void cmdSetupFTP_Click();
    void cmdSetupMedia_Click();
    void cmdSetupEmail_Click();

    // --- option rules ---
    void chkSendEmail_Click();
    void chkFTP_Click();
    void chkMedia_Click();
    void chkInclOutlook_Click();
    void chkInclOutlookE_Click();
    void chkOverwriteFile_Click();
    void chkHiddenFolders_Click();
    void chkWinOnTop_Click();
    void chkAddNewSub_Click();
    void chkStartWithWindow_Click();
    void txtDirExclusions_LostFocus();
    void txtExclusions_LostFocus();
    void txtInclusions_LostFocus();
    void txtExclYoungDay_Change();
    void txtExclYoungDay_LostFocus();
    void txtDeleteArchive_Change();
    void txtDeleteArchive_LostFocus();
    void txtWaitSecondsBefore_Change();
    void txtWaitSecondsBefore_LostFocus();
    void txtWaitSecondsAfter_Change();
    void txtWaitSecondsAfter_LostFocus();
    void txtSpareSpace_Change();
    void txtSpareSpace_LostFocus();
    void txtPathBackUp_Change();
    // Drops the destination's trailing "\" (each of them); also run before a
    // save and before a run, since typing is left alone.
    void txtPathBackUp_LostFocus();
    void txtMaxZIPsize_LostFocus();
    void txtMaxFiles_LostFocus();

    // --- sources, folder tree and pickers ---
    void cmdSelect_Click();
    void cmdUnselect_Click();
    void cmdExclude_Click();
    void cmdDirPlus_Click();
    void cmdFilesPlus_Click();
    void File1_DblClick();
    void cmdSubPlus_Click();
    void FolderTreeview1_Select();
    void cmdSelectPath_Click();
    void cmdSelectPathTemp_Click();
    void cmdSelectSyncSourceDirectory_Click();
    void cmdSelectSyncDestinyDirectory_Click();
    void cmdSelectPathBefore_Click();
    void cmdSelectPathAfter_Click();
    void ErrorIndicator_DblClick();

    // --- profiles ---
    void cmbProfiles_GotFocus();
    void cmbProfiles_Click();

    // --- scheduled tasks ---
    void cmdNew_Click();
    void cmdProps_Click();
    void cdmDelete_Click();
    void cmdRun_Click();
    void lstTasks_Click();
    void TimerRT_Timer();
    void SSTab2_GotFocus();
    void SSTab2_LostFocus();

    // --- utilities ---
    void Command1_Click();
    void frmZipStatistc_DblClick();
    void Label32_Click();
    void lblNRVHome_Click();
    void Label7_Click();
    void lblError_Click();

    // --- CD recorder ---
    void chkUseCDRecorder_Click();
    void chkAppendArchive_Click();
    void cboDevices_Click();
    void cboWriteSpeed_Click();

    // --- FTP panel and hand-over ---
    void cmdFTPretrieve_Click();
    void cmdTestFTPconnection_Click();
    void cmdSelectPathFTPrestore_Click();
    void cmdConfigAS_Click();

    // --- e-mail notice time-out, encryption progress ---
    void tmrtimeout_Timer();
    void cypher_Progress(qint32 CurrPercent);

    // --- events of the window's outside components, connected by the code
    // that creates each component: the FTP transfer (Inet2), the mail
    // socket (sckSMTP) and the CD writer (CDWriterXP1) ---
    void Inet2_StateChanged(qint16 State);
    void sckSMTP_Connect();
    void sckSMTP_DataArrival(qint32 bytesTotal);
    void sckSMTP_Error(qint16 Number, const QString& Description);
    void sckSMTP_Close();
    void CDWriterXP1_ClosingDisc();
    void CDWriterXP1_ClosingSession();
    void CDWriterXP1_WriteComplete();
    void CDWriterXP1_PreparingToWrite();
    void CDWriterXP1_CreatingDirectories();
    void CDWriterXP1_PreparingToWriteTrack(qint16 track, qint64 size);
    void CDWriterXP1_WritingTrack(qint16 track, qint64 written, qint64 third);
    void CDWriterXP1_WriteError(qint32 errorType, qint32 code);
    void CDWriterXP1_ClosingTrack(qint32 argument);
    void CDWriterXP1_CachingTrack(qint16 track, qint64 total);
    void CDWriterXP1_CachingTrackStatus(qint64 cached);
    void CDWriterXP1_ReadingFile(qint32 number);
    void CDWriterXP1_FileError(qint32 errorType, const QString& fileName);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    template <class T, class... A>
    T* make(A&&... args);
    void registerControl(QObject* control) { controls_.append(control); }
    // Saves the settings unless the program runs unattended.
    void Save_Settings_IfIdle();
    // The task scheduler, made at its first use; 429 where it cannot be made
    // (then never tried again in this window's life).
    platform::TaskScheduler& Scheduler();
    std::unique_ptr<platform::TaskScheduler> taskScheduler_;
    bool schedulerFailed_ = false;

    void buildMenus();
    void buildToolbar();
    QWidget* buildOverviewTab();
    QWidget* buildSourcesTab();
    QWidget* buildOptionsTab();
    QWidget* buildMediaTab();
    QWidget* buildZipTab();
    QWidget* buildScheduleTab();
    QWidget* buildBottomStrip();
    // A tab page that scrolls when the window is smaller than its controls.
    QWidget* scrolled(QWidget* content);
    // Pages not yet put into their scroll areas (see scrolled), put in
    // before the window is first shown.
    std::vector<std::pair<QScrollArea*, QWidget*>> pagesToPlace_;
    void wireEvents();
    void placeAnimation();
    // The place below the run log that the clip takes on the overview tab,
    // shown while the clip is, so that the clip never covers the log.
    QWidget* clipSlot_ = nullptr;

    QList<QObject*> controls_;
    bool unloading_ = false;
    platform::CDWriterXP* cdWriter_ = nullptr;   // a child of the window

    // Placement: the frame asked for by Left, Top, Width and Height, fitted
    // again once the window manager's frame is known.
    QRect placementFrame() const;
    QMargins frameMargins() const;
    void setFrame(const std::function<void(QRect&)>& change);
    void fitFrame();
    void refitFrame();
    void KeepReachable();
    ui::FramePlacement placement_;
    QTimer* fitTimer_ = nullptr;
};

// The one main window of the program (nullptr until it is built).
extern frmMain_BackUp* fMainForm;

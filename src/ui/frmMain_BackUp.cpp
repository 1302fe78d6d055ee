// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmMain_BackUp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDate>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "destinations/NRV_Internet.h"
#include "restore/frmRestore.h"
#include "run/Vaultora_Main.h"
#include "ui/HiddenMainWindow.h"
#include "ui/controls/StandardIcon.h"
#include "ui/controls/VbControl.h"
#include "ui/frmWizard.h"
#include "vb/ErrorHandling.h"

frmMain_BackUp* fMainForm = nullptr;

using namespace ui;

namespace {

// Layout-only helpers: captions and groups that no code addresses.
QLabel* caption(const QString& text, QWidget* parent = nullptr) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QGroupBox* group(const QString& title) { return new QGroupBox(title); }

// A unit caption ("Mb", "s") beside a value box: shown and hidden with it.
class FollowVisibility : public QObject {
public:
    FollowVisibility(QWidget* box, QWidget* follower) : QObject(follower), follower_(follower) {
        box->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent)
            follower_->setVisible(true);
        else if (event->type() == QEvent::HideToParent)
            follower_->setVisible(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* follower_;
};

// Runs a function when the widget is moved, resized or shown.
class OnGeometryChange : public QObject {
public:
    OnGeometryChange(QWidget* watched, std::function<void()> f) : QObject(watched), f_(std::move(f)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)
            f_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> f_;
};

QLabel* unitCaption(const QString& text, QWidget* box) {
    QLabel* l = caption(text);
    new FollowVisibility(box, l);
    return l;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretchAtEnd = false) {
    auto* h = new QHBoxLayout;
    h->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
        h->addWidget(w);
    if (stretchAtEnd)
        h->addStretch(1);
    return h;
}

void tight(QLayout* l) {
    l->setContentsMargins(6, 6, 6, 6);
    l->setSpacing(4);
}

// A tab page of two columns of equal width.
void twoColumns(QWidget* page, QVBoxLayout** left, QVBoxLayout** right) {
    auto* cols = new QHBoxLayout(page);
    tight(cols);
    *left = new QVBoxLayout;
    *right = new QVBoxLayout;
    cols->addLayout(*left, 1);
    cols->addLayout(*right, 1);
}

}  // namespace

template <class T, class... A>
T* frmMain_BackUp::make(A&&... args) {
    T* control = new T(std::forward<A>(args)...);
    registerControl(control);
    return control;
}

// Put into its area, a page is sized to it, which works out the layout of
// all its controls. Where nobody can see the window (an unattended start
// with no display) the page only goes into the area's viewport, and into the
// area itself if the window is ever shown.
QWidget* frmMain_BackUp::scrolled(QWidget* content) {
    auto* area = new QScrollArea;
    if (UnseenStart()) {
        content->setParent(area->viewport());
        pagesToPlace_.emplace_back(area, content);
    } else {
        area->setWidget(content);
    }
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

void frmMain_BackUp::setVisible(bool visible) {
    if (visible)
        for (auto [area, content] : std::exchange(pagesToPlace_, {}))
            area->setWidget(content);
    QMainWindow::setVisible(visible);
}

frmMain_BackUp::frmMain_BackUp(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain_BackUp"));
    fMainForm = this;
    setWindowTitle(QStringLiteral("Vaultora"));
    {
        QFont f = font();
        f.setPointSize(8);
        setFont(f);
    }

    buildMenus();
    buildToolbar();

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(4, 2, 4, 2);
    v->setSpacing(3);

    // The profile row above the tabs.
    cmbProfiles = make<VbComboBox>(QStringLiteral("cmbProfiles"), VbComboBox::Style::DropdownCombo);
    cmbProfiles->setMinimumWidth(170);
    cmbProfiles->setToolTip(QStringLiteral("Backup profile"));
    txtProfile = make<VbTextBox>(QStringLiteral("txtProfile"), QStringLiteral("Standard"));
    txtProfile->setMaximumWidth(140);
    AniGIF1 = make<VbAniGif>(QStringLiteral("AniGIF1"), QStringLiteral("Vaultora"));
    {
        auto* h = new QHBoxLayout;
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(caption(QStringLiteral("Profile:")));
        h->addWidget(cmbProfiles);
        h->addSpacing(8);
        h->addWidget(caption(QStringLiteral("Saved as:")));
        h->addWidget(txtProfile);
        h->addStretch(1);
        v->addLayout(h);
    }

    SSTab1 = make<VbTabControl>(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildOverviewTab(), QStringLiteral("Overview"));
    SSTab1->addTab(scrolled(buildSourcesTab()), QStringLiteral("Sources"));
    SSTab1->addTab(scrolled(buildOptionsTab()), QStringLiteral("Options"));
    SSTab1->addTab(scrolled(buildMediaTab()), QStringLiteral("Backup Media"));
    SSTab1->addTab(scrolled(buildZipTab()), QStringLiteral("ZIP Options"));
    SSTab1->addTab(buildScheduleTab(), QStringLiteral("Schedule"));
    SSTab1->setTab(0);
    // The run overview only displays: it stays readable while a run or a
    // load has the tabs switched off.
    SSTab1->setDisplayPage(0);
    v->addWidget(SSTab1, 1);
    v->addWidget(buildBottomStrip());
    setCentralWidget(central);

    // The clip floats over the tabs while it plays; on the overview tab it
    // takes its place below the run log.
    Animation1 = make<VbAnimation>(QStringLiteral("Animation1"), central);
    Animation1->hide();
    new FollowVisibility(Animation1, clipSlot_);
    connect(SSTab1, &QTabWidget::currentChanged, this, [this] { placeAnimation(); });

    sbStatusBar = make<VbStatusBar>(QStringLiteral("sbStatusBar"), QStringLiteral("Status"));
    setStatusBar(sbStatusBar);

    dlgCommonDialog = make<VbCommonDialog>(QStringLiteral("dlgCommonDialog"), this);
    TimerRT = make<VbTimer>(QStringLiteral("TimerRT"), 5000, false, this);
    tmrtimeout = make<VbTimer>(QStringLiteral("tmrtimeout"), 10000, false, this);

    // The design size of the window: 9730 x 7785 twips.
    resize(TwipsToPixels(9730), TwipsToPixels(7785));
    // Nothing that saves settings on getting the focus holds it at first.
    SSTab1->tabBar()->setFocus(Qt::OtherFocusReason);

    wireEvents();
}

frmMain_BackUp::~frmMain_BackUp() {
    if (fMainForm == this)
        fMainForm = nullptr;
}

// ---------------------------------------------------------------------------
// menus and toolbar

void frmMain_BackUp::buildMenus() {
    // The menu bar's own entries are commands, not drop-down menus.
    mnuExit1 = menuBar()->addAction(QStringLiteral("&Exit"));
    mnuExit1->setObjectName(QStringLiteral("mnuExit1"));
    mnuHelp1 = menuBar()->addAction(QStringLiteral("&Help"));
    mnuHelp1->setObjectName(QStringLiteral("mnuHelp1"));
    mnuAbout = menuBar()->addAction(QStringLiteral("&About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    // The tray icon's context menu; not part of the menu bar.
    mnuPopup = new QMenu(QStringLiteral("Popup"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuHelp = mnuPopup->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuShow = mnuPopup->addAction(QStringLiteral("&Show"));
    mnuShow->setObjectName(QStringLiteral("mnuShow"));
    mnuExit = mnuPopup->addAction(QStringLiteral("&Exit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    for (QObject* o : {static_cast<QObject*>(mnuExit1), static_cast<QObject*>(mnuHelp1),
                       static_cast<QObject*>(mnuAbout), static_cast<QObject*>(mnuPopup),
                       static_cast<QObject*>(mnuHelp), static_cast<QObject*>(mnuShow),
                       static_cast<QObject*>(mnuExit)})
        registerControl(o);
}

void frmMain_BackUp::buildToolbar() {
    tbTools = make<VbToolbar>(QStringLiteral("tbTools"), this);
    addToolBar(Qt::TopToolBarArea, tbTools);
    using S = VbToolButton::Style;
    // Positions (separators count): 1 Exit, 3 Start, 4 Stop, 6 Save, 7 New,
    // 8 Delete, 10 Restore, 12 Help, 15 Home, 16 Update, 18 Minimize.
    tbTools->AddButton(QStringLiteral("Exit"), QStringLiteral("Exit"), QStringLiteral("Program Exit"),
                       S::Default, StandardIcon(QStyle::SP_DialogCloseButton));
    tbTools->AddSeparator();
    tbTools->AddButton(QStringLiteral("Start"), QStringLiteral("Start"), QStringLiteral("Start backup"),
                       S::Default, StandardIcon(QStyle::SP_MediaPlay));
    tbTools->AddButton(QStringLiteral("Stop"), QStringLiteral("Stop"), QStringLiteral("Cancel backup"),
                       S::Default, StandardIcon(QStyle::SP_MediaStop));
    tbTools->AddSeparator();
    tbTools->AddButton(QStringLiteral("SaveAs"), QStringLiteral("Save"),
                       QStringLiteral("Save current profile"), S::Default,
                       StandardIcon(QStyle::SP_DialogSaveButton));
    tbTools->AddButton(QStringLiteral("New"), QStringLiteral("New"), QStringLiteral("Create a new profile"),
                       S::Default, StandardIcon(QStyle::SP_FileDialogNewFolder));
    tbTools->AddButton(QStringLiteral("Delete"), QStringLiteral("Delete"),
                       QStringLiteral("Delete current profile"), S::Default,
                       StandardIcon(QStyle::SP_TrashIcon));
    tbTools->AddSeparator();
    tbTools->AddButton(QStringLiteral("Restore"), QStringLiteral("Restore"), QString(), S::Default,
                       StandardIcon(QStyle::SP_DialogOpenButton));
    tbTools->AddSeparator();
    const int help = tbTools->AddButton(QStringLiteral("Help"), QStringLiteral("Help"),
                                        QStringLiteral("Get Help"), S::Dropdown,
                                        StandardIcon(QStyle::SP_MessageBoxQuestion));
    tbTools->AddButtonMenu(help, QStringLiteral("Product"), QStringLiteral("Product description"));
    tbTools->AddButtonMenu(help, QString(), QStringLiteral("-"));
    tbTools->AddButtonMenu(help, QStringLiteral("Tips"), QStringLiteral("Help && Tips and Tricks"));
    tbTools->AddButtonMenu(help, QStringLiteral("Forum"), QStringLiteral("Support forum"));
    tbTools->AddButtonMenu(help, QString(), QStringLiteral("-"));
    tbTools->AddButtonMenu(help, QStringLiteral("About"), QStringLiteral("About"));
    tbTools->AddSeparator();
    tbTools->AddPlaceholder(4);
    tbTools->AddButton(QStringLiteral("Home"), QStringLiteral("Home"), QStringLiteral("Goto n.r.v Homepage"),
                       S::Default, StandardIcon(QStyle::SP_DirHomeIcon));
    tbTools->AddButton(QStringLiteral("Update"), QStringLiteral("Update"),
                       QStringLiteral("Check for new program version"), S::Default,
                       StandardIcon(QStyle::SP_BrowserReload));
    tbTools->AddSeparator();
    tbTools->AddButton(QStringLiteral("Minimize"), QStringLiteral("Minimize"),
                       QStringLiteral("Minimize to system tray"), S::Default,
                       StandardIcon(QStyle::SP_ArrowDown));
    // Stop is of use only while a run goes on.
    tbTools->Buttons(4).setEnabled(false);
}

// ---------------------------------------------------------------------------
// tab 0: run overview

QWidget* frmMain_BackUp::buildOverviewTab() {
    auto* page = new QWidget;
    auto* h = new QHBoxLayout(page);
    tight(h);

    RtbNews1 = make<VbRichTextBox>(QStringLiteral("RtbNews1"));
    clipSlot_ = new QWidget;
    clipSlot_->setFixedSize(80, 60);
    clipSlot_->hide();
    new OnGeometryChange(clipSlot_, [this] { placeAnimation(); });
    auto* logColumn = new QVBoxLayout;
    logColumn->setContentsMargins(0, 0, 0, 0);
    logColumn->addWidget(RtbNews1, 1);
    logColumn->addWidget(clipSlot_, 0, Qt::AlignHCenter);
    h->addLayout(logColumn, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(AniGIF1, 0, Qt::AlignHCenter);

    auto counter = [this](const char* name) {
        auto* t = make<VbTextBox>(QString::fromLatin1(name), QStringLiteral("0"));
        t->setLocked(true);
        t->setAlignment(Qt::AlignRight);
        t->setFixedWidth(70);
        return t;
    };
    txtZipSize = counter("txtZipSize");
    txtAnzFiles = counter("txtAnzFiles");
    txtTotalFiles = counter("txtTotalFiles");
    txtTotalSize = counter("txtTotalSize");
    txtCompSize = counter("txtCompSize");
    txtBackUpTime = counter("txtBackUpTime");
    txtRemainSpace = counter("txtRemainSpace");
    txtZipArchive = make<VbTextBox>(QStringLiteral("txtZipArchive"));
    txtZipArchive->setLocked(true);
    // Volumes differ at the end of their names: a name too long for the box
    // shows its end, and the whole name is the box's tool tip.
    connect(txtZipArchive, &QLineEdit::textChanged, txtZipArchive, [box = txtZipArchive](const QString& text) {
        box->setCursorPosition(int(text.size()));
        box->setToolTip(text);
    });

    Label41.slot(0) = make<VbLabel>(QStringLiteral("Label41_0"), QStringLiteral("Archive size:"));
    Label18 = make<VbLabel>(QStringLiteral("Label18"), QStringLiteral("Files in archive:"));
    Label19 = make<VbLabel>(QStringLiteral("Label19"), QStringLiteral("files"));
    Label43.slot(0) = make<VbLabel>(QStringLiteral("Label43_0"), QStringLiteral("Files total:"));
    Label44.slot(0) = make<VbLabel>(QStringLiteral("Label44_0"), QStringLiteral("Total size:"));
    Label56 = make<VbLabel>(QStringLiteral("Label56"), QStringLiteral("Zipped size:"));
    Label42 = make<VbLabel>(QStringLiteral("Label42"), QStringLiteral("Mb"));

    auto* g = new QGridLayout;
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(2);
    int r = 0;
    g->addWidget(Label41(0), r, 0);
    g->addWidget(txtZipSize, r, 1);
    g->addWidget(unitCaption(QStringLiteral("Mb"), txtZipSize), r++, 2);
    g->addWidget(Label18, r, 0);
    g->addWidget(txtAnzFiles, r, 1);
    g->addWidget(Label19, r++, 2);
    g->addWidget(Label43(0), r, 0);
    g->addWidget(txtTotalFiles, r++, 1);
    g->addWidget(Label44(0), r, 0);
    g->addWidget(txtTotalSize, r, 1);
    g->addWidget(unitCaption(QStringLiteral("Mb"), txtTotalSize), r++, 2);
    g->addWidget(Label56, r, 0);
    g->addWidget(txtCompSize, r, 1);
    g->addWidget(Label42, r++, 2);
    g->addWidget(caption(QStringLiteral("Backup time:")), r, 0);
    g->addWidget(txtBackUpTime, r, 1);
    g->addWidget(unitCaption(QStringLiteral("s"), txtBackUpTime), r++, 2);
    g->addWidget(caption(QStringLiteral("Remaining space:")), r, 0);
    g->addWidget(txtRemainSpace, r, 1);
    g->addWidget(unitCaption(QStringLiteral("Mb"), txtRemainSpace), r++, 2);
    g->addWidget(caption(QStringLiteral("Archive:")), r, 0);
    g->addWidget(txtZipArchive, r++, 1, 1, 2);
    right->addLayout(g);

    ProgressBar1 = make<VbProgressBar>(QStringLiteral("ProgressBar1"));
    ProgressBar2 = make<VbProgressBar>(QStringLiteral("ProgressBar2"));
    ProgressBar3 = make<VbProgressBar>(QStringLiteral("ProgressBar3"));
    for (VbProgressBar* p : {ProgressBar1, ProgressBar2, ProgressBar3})
        p->setFixedHeight(12);
    ProgressBar3->hide();
    right->addWidget(ProgressBar1);
    right->addWidget(ProgressBar2);
    right->addWidget(ProgressBar3);
    Animation2 = make<VbAnimation>(QStringLiteral("Animation2"));
    Animation2->hide();
    right->addWidget(Animation2, 0, Qt::AlignHCenter);
    right->addStretch(1);

    auto* rightBox = new QWidget;
    rightBox->setLayout(right);
    right->setContentsMargins(0, 0, 0, 0);
    rightBox->setFixedWidth(220);
    h->addWidget(rightBox);
    return page;
}

// ---------------------------------------------------------------------------
// tab 1: sources

QWidget* frmMain_BackUp::buildSourcesTab() {
    auto* page = new QWidget;
    auto* g = new QGridLayout(page);
    tight(g);

    Label1.slot(0) = make<VbLabel>(QStringLiteral("Label1_0"),
                                   QStringLiteral("Choose the folders and files to back up:"));
    g->addWidget(Label1(0), 0, 0, 1, 4);

    FolderTreeview1 = make<VbFolderTree>(QStringLiteral("FolderTreeview1"));
    File1 = make<VbFileListBox>(QStringLiteral("File1"));
    vb::Quiet([this] { File1->setPath(QStringLiteral("C:\\")); });
    FolderTreeview1->setMinimumWidth(130);
    File1->setMinimumWidth(100);

    cmdDirPlus = make<VbCommandButton>(QStringLiteral("cmdDirPlus"), QStringLiteral("Folder >"));
    cmdDirPlus->setToolTip(QStringLiteral("Add the folder"));
    cmdSubPlus = make<VbCommandButton>(QStringLiteral("cmdSubPlus"), QStringLiteral("Subfolders >"));
    cmdSubPlus->setToolTip(QStringLiteral("Add the folder with all its subfolders"));
    cmdFilesPlus = make<VbCommandButton>(QStringLiteral("cmdFilesPlus"), QStringLiteral("Files >"));
    cmdFilesPlus->setToolTip(QStringLiteral("Add the selected files"));
    chkAddNewSub = make<VbCheckBox>(QStringLiteral("chkAddNewSub"), QStringLiteral("Add new subfolders"));
    chkAddNewSub->setToolTip(QStringLiteral("Add subfolders created later automatically"));
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdDirPlus);
    buttons->addWidget(cmdSubPlus);
    buttons->addWidget(cmdFilesPlus);
    buttons->addStretch(1);

    List1 = make<VbListBox>(QStringLiteral("List1"), VbListBox::Style::Checkbox);
    List1->setMinimumWidth(150);
    cmdSelect = make<VbCommandButton>(QStringLiteral("cmdSelect"), QStringLiteral("Select all"));
    cmdUnselect = make<VbCommandButton>(QStringLiteral("cmdUnselect"), QStringLiteral("Unselect all"));
    cmdExclude = make<VbCommandButton>(QStringLiteral("cmdExclude"), QStringLiteral("Remove"));
    cmdExclude->setToolTip(QStringLiteral("Remove the ticked entries"));

    g->addWidget(FolderTreeview1, 1, 0);
    g->addWidget(File1, 1, 1);
    g->addLayout(buttons, 1, 2);
    g->addWidget(List1, 1, 3);
    g->addWidget(chkAddNewSub, 2, 0, 1, 2);
    g->addLayout(row({cmdSelect, cmdUnselect, cmdExclude}), 2, 2, 1, 2);
    g->setColumnStretch(0, 3);
    g->setColumnStretch(1, 2);
    g->setColumnStretch(3, 4);
    g->setRowStretch(1, 1);

    // The synchronisation panel takes the place of the lists in that mode.
    picSync = make<VbPictureBox>(QStringLiteral("picSync"));
    picSync->setFrameShape(QFrame::StyledPanel);
    Label22 = make<VbLabel>(
        QStringLiteral("Label22"),
        QStringLiteral("Folder synchronisation compares the source folder with the destination folder "
                       "and copies every file that is new or newer to the other side, so that both "
                       "folders end up with the same files."));
    Label22->setWordWrap(true);
    txtSourceSync = make<VbTextBox>(QStringLiteral("txtSourceSync"));
    cmdSelectSyncSourceDirectory =
        make<VbCommandButton>(QStringLiteral("cmdSelectSyncSourceDirectory"), QStringLiteral("..."));
    txtDestinySync = make<VbTextBox>(QStringLiteral("txtDestinySync"));
    cmdSelectSyncDestinyDirectory =
        make<VbCommandButton>(QStringLiteral("cmdSelectSyncDestinyDirectory"), QStringLiteral("..."));
    for (VbCommandButton* b : {cmdSelectSyncSourceDirectory, cmdSelectSyncDestinyDirectory})
        b->setFixedWidth(28);
    chkSyncSubDirs = make<VbCheckBox>(QStringLiteral("chkSyncSubDirs"), QStringLiteral("Include subfolders"));
    chkSyncBothDirections =
        make<VbCheckBox>(QStringLiteral("chkSyncBothDirections"), QStringLiteral("Synchronise in both directions"));
    {
        auto* f = new QGridLayout(picSync);
        tight(f);
        f->addWidget(Label22, 0, 0, 1, 3);
        f->addWidget(caption(QStringLiteral("Source folder:")), 1, 0);
        f->addWidget(txtSourceSync, 1, 1);
        f->addWidget(cmdSelectSyncSourceDirectory, 1, 2);
        f->addWidget(caption(QStringLiteral("Destination folder:")), 2, 0);
        f->addWidget(txtDestinySync, 2, 1);
        f->addWidget(cmdSelectSyncDestinyDirectory, 2, 2);
        f->addWidget(chkSyncSubDirs, 3, 1);
        f->addWidget(chkSyncBothDirections, 4, 1);
        f->setRowStretch(5, 1);
    }
    picSync->hide();
    g->addWidget(picSync, 3, 0, 1, 4);

    Label26 = make<VbLabel>(QStringLiteral("Label26"),
                            QStringLiteral("In synchronisation mode the source list is not used: the two "
                                           "folders above are compared."));
    Label26->setWordWrap(true);
    Label26->hide();
    g->addWidget(Label26, 4, 0, 1, 4);
    return page;
}

// ---------------------------------------------------------------------------
// tab 2: options

QWidget* frmMain_BackUp::buildOptionsTab() {
    auto* page = new QWidget;
    QVBoxLayout *left, *rightCol;
    twoColumns(page, &left, &rightCol);

    // Backup mode. Its height is set by the mode (920 twips for ZIP, 1830
    // otherwise), which shows or hides the copy option below the buttons.
    Frame2 = make<VbFrame>(QStringLiteral("Frame2"), QStringLiteral("Backup mode"));
    auto* modes = new VbOptionGroup(Frame2);
    const char* modeCaptions[] = {"ZIP archive", "Copy files", "Synchronise"};
    int x = 8;
    for (int i = 0; i < 3; ++i) {
        optBuMode.slot(i) = make<VbOptionButton>(QStringLiteral("optBuMode"),
                                                 QString::fromLatin1(modeCaptions[i]), i, Frame2);
        optBuMode(i)->adjustSize();
        optBuMode(i)->move(x, 24);
        x += optBuMode(i)->width() + 4;
        modes->add(optBuMode(i));
    }
    // Below the buttons, shown by the taller frame of the copy mode.
    chkInclSubDirStruct = make<VbCheckBox>(QStringLiteral("chkInclSubDirStruct"),
                                           QStringLiteral("Copy with the folder structure"), Frame2);
    chkInclSubDirStruct->adjustSize();
    chkInclSubDirStruct->move(8, 66);
    Frame2->setMinimumWidth(std::max(x + 4, chkInclSubDirStruct->width() + 20));
    SetHeightTwips(Frame2, 920);
    left->addWidget(Frame2);

    Frame7 = make<VbFrame>(QStringLiteral("Frame7"), QStringLiteral("Backup type"));
    {
        auto* kinds = new VbOptionGroup(Frame7);
        optComplete = make<VbOptionButton>(QStringLiteral("optComplete"),
                                           QStringLiteral("Complete backup with filters"), 1);
        optCompleteNoFilter = make<VbOptionButton>(QStringLiteral("optCompleteNoFilter"),
                                                   QStringLiteral("Complete backup without filters"), 0);
        optNewOnly = make<VbOptionButton>(QStringLiteral("optNewOnly"),
                                          QStringLiteral("New and changed files only"), 0);
        // The three single buttons keep their bare names.
        optComplete->setObjectName(QStringLiteral("optComplete"));
        optCompleteNoFilter->setObjectName(QStringLiteral("optCompleteNoFilter"));
        optNewOnly->setObjectName(QStringLiteral("optNewOnly"));
        kinds->add(optComplete);
        kinds->add(optCompleteNoFilter);
        kinds->add(optNewOnly);
        chkHiddenFolders = make<VbCheckBox>(QStringLiteral("chkHiddenFolders"),
                                            QStringLiteral("Hidden files and folders too"));
        chkResetArchiveBit = make<VbCheckBox>(QStringLiteral("chkResetArchiveBit"),
                                              QStringLiteral("Reset the archive bit"));
        auto* l = new QVBoxLayout(Frame7);
        tight(l);
        l->setSpacing(1);
        for (QWidget* w : std::initializer_list<QWidget*>{optComplete, optCompleteNoFilter, optNewOnly,
                                                         chkHiddenFolders, chkResetArchiveBit})
            l->addWidget(w);
    }
    left->addWidget(Frame7);

    Frame12 = make<VbFrame>(QStringLiteral("Frame12"), QStringLiteral("Folder filter"));
    txtDirExclusions = make<VbTextBox>(QStringLiteral("txtDirExclusions"), QStringLiteral("backup,temp"));
    txtDirExclusions->setToolTip(QStringLiteral("Folders not backed up, separated by commas"));
    {
        auto* l = new QHBoxLayout(Frame12);
        tight(l);
        l->addWidget(caption(QStringLiteral("Skip folders:")));
        l->addWidget(txtDirExclusions);
    }
    left->addWidget(Frame12);

    Frame4 = make<VbFrame>(QStringLiteral("Frame4"), QStringLiteral("Always include"));
    txtInclusions = make<VbTextBox>(QStringLiteral("txtInclusions"));
    txtInclusions->setToolTip(QStringLiteral("Files backed up even when a filter excludes them"));
    {
        auto* l = new QHBoxLayout(Frame4);
        tight(l);
        l->addWidget(caption(QStringLiteral("Files:")));
        l->addWidget(txtInclusions);
    }
    left->addWidget(Frame4);
    left->addStretch(1);

    Frame5 = make<VbFrame>(QStringLiteral("Frame5"), QStringLiteral("File filter"));
    txtExclusions = make<VbTextBox>(
        QStringLiteral("txtExclusions"),
        QStringLiteral("*.swp,*.exe,*.bak,*.vbw,*.tmp,*.zip,*.cry,*.cab,*.rar,*.dll,*.ocx,*.log,*.wav,*.avi,*.nrv"));
    txtExclusions->setToolTip(QStringLiteral("Files not backed up, separated by commas"));
    chkExclOldFiles = make<VbCheckBox>(QStringLiteral("chkExclOldFiles"), QStringLiteral("Skip files older than"));
    chkExclYoungFiles = make<VbCheckBox>(QStringLiteral("chkExclYoungFiles"), QStringLiteral("Skip files newer than"));
    chkExclYoungDayFiles = make<VbCheckBox>(QStringLiteral("chkExclYoungDayFiles"),
                                            QStringLiteral("Skip files changed within"));
    DTPicker1 = make<VbDatePicker>(QStringLiteral("DTPicker1"));
    DTPicker2 = make<VbDatePicker>(QStringLiteral("DTPicker2"));
    txtExclYoungDay = make<VbTextBox>(QStringLiteral("txtExclYoungDay"), QStringLiteral("0"));
    txtExclYoungDay->setFixedWidth(45);
    {
        auto* l = new QGridLayout(Frame5);
        tight(l);
        l->addWidget(caption(QStringLiteral("Skip files:")), 0, 0);
        l->addWidget(txtExclusions, 0, 1, 1, 2);
        l->addWidget(chkExclOldFiles, 1, 0);
        l->addWidget(DTPicker1, 1, 1);
        l->addWidget(chkExclYoungFiles, 2, 0);
        l->addWidget(DTPicker2, 2, 1);
        l->addWidget(chkExclYoungDayFiles, 3, 0);
        l->addLayout(row({txtExclYoungDay, caption(QStringLiteral("days"))}, true), 3, 1);
        l->setColumnStretch(2, 1);
    }
    rightCol->addWidget(Frame5);

    auto* programs = group(QStringLiteral("Programs run with the backup"));
    chkRunBefore = make<VbCheckBox>(QStringLiteral("chkRunBefore"), QStringLiteral("Before:"));
    txtPathBefore = make<VbTextBox>(QStringLiteral("txtPathBefore"));
    cmdSelectPathBefore = make<VbCommandButton>(QStringLiteral("cmdSelectPathBefore"), QStringLiteral("..."));
    txtCommandlineBefore = make<VbTextBox>(QStringLiteral("txtCommandlineBefore"));
    txtCommandlineBefore->setPlaceholderText(QStringLiteral("command line parameters"));
    chkRunAfter = make<VbCheckBox>(QStringLiteral("chkRunAfter"), QStringLiteral("After:"));
    txtPathAfter = make<VbTextBox>(QStringLiteral("txtPathAfter"));
    cmdSelectPathAfter = make<VbCommandButton>(QStringLiteral("cmdSelectPathAfter"), QStringLiteral("..."));
    txtCommandlineAfter = make<VbTextBox>(QStringLiteral("txtCommandlineAfter"));
    txtCommandlineAfter->setPlaceholderText(QStringLiteral("command line parameters"));
    for (VbCommandButton* b : {cmdSelectPathBefore, cmdSelectPathAfter})
        b->setFixedWidth(28);
    txtWaitSecondsBefore = make<VbTextBox>(QStringLiteral("txtWaitSecondsBefore"), QStringLiteral("30"));
    txtWaitSecondsAfter = make<VbTextBox>(QStringLiteral("txtWaitSecondsAfter"), QStringLiteral("30"));
    for (VbTextBox* t : {txtWaitSecondsBefore, txtWaitSecondsAfter})
        t->setFixedWidth(36);

    auto* waitBefore = new QWidget;
    {
        auto* grp = new VbOptionGroup(waitBefore);
        const char* texts[] = {"No wait", "Until it ends", "Wait"};
        auto* l = new QHBoxLayout(waitBefore);
        l->setContentsMargins(0, 0, 0, 0);
        for (int i = 0; i < 3; ++i) {
            optWaitBefore.slot(i) =
                make<VbOptionButton>(QStringLiteral("optWaitBefore"), QString::fromLatin1(texts[i]), i);
            grp->add(optWaitBefore(i));
            l->addWidget(optWaitBefore(i));
        }
        l->addWidget(txtWaitSecondsBefore);
        l->addWidget(caption(QStringLiteral("s")));
        l->addStretch(1);
    }
    auto* waitAfter = new QWidget;
    {
        auto* grp = new VbOptionGroup(waitAfter);
        auto* l = new QHBoxLayout(waitAfter);
        l->setContentsMargins(0, 0, 0, 0);
        // Element 3 waits the given seconds, 4 until the program ends, 5 not.
        optWaitAfter.slot(3) = make<VbOptionButton>(QStringLiteral("optWaitAfter"), QStringLiteral("Wait"), 3);
        optWaitAfter.slot(4) =
            make<VbOptionButton>(QStringLiteral("optWaitAfter"), QStringLiteral("Until it ends"), 4);
        optWaitAfter.slot(5) = make<VbOptionButton>(QStringLiteral("optWaitAfter"), QStringLiteral("No wait"), 5);
        for (int i = 3; i <= 5; ++i)
            grp->add(optWaitAfter(i));
        l->addWidget(optWaitAfter(3));
        l->addWidget(txtWaitSecondsAfter);
        l->addWidget(caption(QStringLiteral("s")));
        l->addWidget(optWaitAfter(4));
        l->addWidget(optWaitAfter(5));
        l->addStretch(1);
    }
    {
        auto* l = new QGridLayout(programs);
        tight(l);
        l->addWidget(chkRunBefore, 0, 0);
        l->addWidget(txtPathBefore, 0, 1);
        l->addWidget(cmdSelectPathBefore, 0, 2);
        l->addWidget(txtCommandlineBefore, 1, 0, 1, 3);
        l->addWidget(waitBefore, 2, 0, 1, 3);
        l->addWidget(chkRunAfter, 3, 0);
        l->addWidget(txtPathAfter, 3, 1);
        l->addWidget(cmdSelectPathAfter, 3, 2);
        l->addWidget(txtCommandlineAfter, 4, 0, 1, 3);
        l->addWidget(waitAfter, 5, 0, 1, 3);
        l->setColumnStretch(1, 1);
    }
    rightCol->addWidget(programs);

    chkShutdown = make<VbCheckBox>(QStringLiteral("chkShutdown"),
                                   QStringLiteral("Shut the computer down after the backup"));
    rightCol->addWidget(chkShutdown);
    rightCol->addStretch(1);
    return page;
}

// ---------------------------------------------------------------------------
// tab 3: backup media

QWidget* frmMain_BackUp::buildMediaTab() {
    auto* page = new QWidget;
    auto* h = new QHBoxLayout(page);
    tight(h);

    auto* targets = group(QStringLiteral("Destinations"));
    chkMedia = make<VbCheckBox>(QStringLiteral("chkMedia"), QStringLiteral("Folder / medium"));
    chkFTP = make<VbCheckBox>(QStringLiteral("chkFTP"), QStringLiteral("FTP server"));
    chkSendEmail = make<VbCheckBox>(QStringLiteral("chkSendEmail"), QStringLiteral("E-mail"));
    cmdSetupMedia = make<VbCommandButton>(QStringLiteral("cmdSetupMedia"), QStringLiteral("Setup"));
    cmdSetupFTP = make<VbCommandButton>(QStringLiteral("cmdSetupFTP"), QStringLiteral("Setup"));
    cmdSetupEmail = make<VbCommandButton>(QStringLiteral("cmdSetupEmail"), QStringLiteral("Setup"));
    {
        auto* l = new QGridLayout(targets);
        tight(l);
        l->addWidget(chkMedia, 0, 0);
        l->addWidget(cmdSetupMedia, 0, 1);
        l->addWidget(chkFTP, 1, 0);
        l->addWidget(cmdSetupFTP, 1, 1);
        l->addWidget(chkSendEmail, 2, 0);
        l->addWidget(cmdSetupEmail, 2, 1);
        l->setRowStretch(3, 1);
    }
    for (VbCommandButton* b : {cmdSetupMedia, cmdSetupFTP, cmdSetupEmail})
        b->setFixedWidth(48);
    targets->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    h->addWidget(targets);

    auto* panels = new QGridLayout;
    panels->setContentsMargins(0, 0, 0, 0);
    h->addLayout(panels, 1);

    // Destination folder or CD recorder, and the medium's facts.
    Frame3 = make<VbFrame>(QStringLiteral("Frame3"), QStringLiteral("Destination"));
    Label4 = make<VbLabel>(QStringLiteral("Label4"), QStringLiteral("Dest. Directory:"));
    txtPathBackUp = make<VbTextBox>(QStringLiteral("txtPathBackUp"));
    cmdSelectPath = make<VbCommandButton>(QStringLiteral("cmdSelectPath"), QStringLiteral("..."));
    cboDevices = make<VbComboBox>(QStringLiteral("cboDevices"), VbComboBox::Style::DropdownList);
    cboWriteSpeed = make<VbComboBox>(QStringLiteral("cboWriteSpeed"), VbComboBox::Style::DropdownList);
    chkUseBurnProof = make<VbCheckBox>(QStringLiteral("chkUseBurnProof"), QStringLiteral("BurnProof"));
    chkUseCDRecorder = make<VbCheckBox>(QStringLiteral("chkUseCDRecorder"), QStringLiteral("Write to CD"));
    txtPathTemp = make<VbTextBox>(QStringLiteral("txtPathTemp"));
    cmdSelectPathTemp = make<VbCommandButton>(QStringLiteral("cmdSelectPathTemp"), QStringLiteral("..."));
    txtSpareSpace = make<VbTextBox>(QStringLiteral("txtSpareSpace"), QStringLiteral("0"));
    txtSpareSpace->setFixedWidth(90);  // ten digits
    for (VbCommandButton* b : {cmdSelectPath, cmdSelectPathTemp})
        b->setFixedWidth(28);
    cboDevices->setMinimumWidth(110);
    for (QWidget* w : std::initializer_list<QWidget*>{cboDevices, cboWriteSpeed, chkUseBurnProof})
        w->hide();
    const char* descCaptions[12] = {"Available Space:", "Drive Type:", "File System:", "Free Space:",
                                    "Is Ready:", "Path:", "Root Folder:", "Serial Number:",
                                    "Share Name:", "Total Size:", "Volume Name:", "Sub Folders:"};
    for (int i = 0; i < 12; ++i) {
        lblDesc.slot(i) = make<VbLabel>(QStringLiteral("lblDesc_%1").arg(i), QString::fromLatin1(descCaptions[i]));
        lblDriveInfo.slot(i) = make<VbLabel>(QStringLiteral("lblDriveInfo_%1").arg(i), QString());
        lblDriveInfo(i)->setMinimumWidth(80);
    }
    {
        auto* l = new QGridLayout(Frame3);
        tight(l);
        l->addWidget(Label4, 0, 0);
        auto* dest = new QHBoxLayout;
        dest->setContentsMargins(0, 0, 0, 0);
        dest->addWidget(txtPathBackUp, 1);
        dest->addWidget(cmdSelectPath);
        dest->addWidget(cboDevices, 1);
        dest->addWidget(cboWriteSpeed);
        dest->addWidget(chkUseBurnProof);
        l->addLayout(dest, 0, 1, 1, 3);
        l->addWidget(chkUseCDRecorder, 1, 1, 1, 3);
        l->addWidget(caption(QStringLiteral("Temp. Directory:")), 2, 0);
        l->addWidget(txtPathTemp, 2, 1, 1, 2);
        l->addWidget(cmdSelectPathTemp, 2, 3);
        l->addWidget(caption(QStringLiteral("Spare space (kB):")), 3, 0);
        l->addWidget(txtSpareSpace, 3, 1);
        auto* info = new QGridLayout;
        info->setHorizontalSpacing(6);
        info->setVerticalSpacing(1);
        for (int i = 0; i < 12; ++i) {
            const int col = (i / 6) * 2;
            info->addWidget(lblDesc(i), i % 6, col);
            info->addWidget(lblDriveInfo(i), i % 6, col + 1);
        }
        info->setColumnStretch(1, 1);
        info->setColumnStretch(3, 1);
        auto* infoBox = new QFrame;
        infoBox->setFrameShape(QFrame::StyledPanel);
        infoBox->setLayout(info);
        l->addWidget(infoBox, 4, 0, 1, 4);
        l->setColumnStretch(2, 1);
        l->setRowStretch(5, 1);
    }
    panels->addWidget(Frame3, 0, 0);

    // FTP server.
    Frame10 = make<VbFrame>(QStringLiteral("Frame10"), QStringLiteral("FTP server"));
    txtFTPserver = make<VbTextBox>(QStringLiteral("txtFTPserver"));
    txtFTPport = make<VbTextBox>(QStringLiteral("txtFTPport"), QStringLiteral("21"));
    txtFTPport->setFixedWidth(45);
    txtFTPuser = make<VbTextBox>(QStringLiteral("txtFTPuser"));
    txtFTPpassword = make<VbTextBox>(QStringLiteral("txtFTPpassword"));
    txtFTPpassword->setPasswordMode(true);
    chkProxy = make<VbCheckBox>(QStringLiteral("chkProxy"), QStringLiteral("Proxy:"));
    txtFTPProxy = make<VbTextBox>(QStringLiteral("txtFTPProxy"));
    txtFTPdir = make<VbTextBox>(QStringLiteral("txtFTPdir"), QStringLiteral("backup"));
    txtFTPrestoreDir = make<VbTextBox>(QStringLiteral("txtFTPrestoreDir"), QStringLiteral("C:\\backup\\temp"));
    cmdSelectPathFTPrestore = make<VbCommandButton>(QStringLiteral("cmdSelectPathFTPrestore"), QStringLiteral("..."));
    cmdSelectPathFTPrestore->setFixedWidth(28);
    txtRetrieveMask = make<VbTextBox>(QStringLiteral("txtRetrieveMask"), QStringLiteral("*.*"));
    cmdFTPretrieve = make<VbCommandButton>(QStringLiteral("cmdFTPretrieve"), QStringLiteral("Retrieve"));
    cmdTestFTPconnection =
        make<VbCommandButton>(QStringLiteral("cmdTestFTPconnection"), QStringLiteral("Test connection"));
    lstServerFiles = make<VbListBox>(QStringLiteral("lstServerFiles"), VbListBox::Style::Standard);
    lstServerFiles->setMinimumHeight(40);
    lblFTPstatus = make<VbLabel>(QStringLiteral("lblFTPstatus"), QString());
    lblFTPstatus->setFrameShape(QFrame::StyledPanel);
    lblFTPstatus->setMinimumHeight(20);
    {
        auto* l = new QGridLayout(Frame10);
        tight(l);
        l->addWidget(caption(QStringLiteral("Server:")), 0, 0);
        l->addWidget(txtFTPserver, 0, 1);
        l->addLayout(row({caption(QStringLiteral("Port:")), txtFTPport}, true), 0, 2, 1, 2);
        l->addWidget(caption(QStringLiteral("User:")), 1, 0);
        l->addWidget(txtFTPuser, 1, 1);
        l->addWidget(caption(QStringLiteral("Password:")), 2, 0);
        l->addWidget(txtFTPpassword, 2, 1);
        l->addWidget(chkProxy, 3, 0);
        l->addWidget(txtFTPProxy, 3, 1);
        l->addWidget(caption(QStringLiteral("Remote folder:")), 4, 0);
        l->addWidget(txtFTPdir, 4, 1);
        l->addWidget(caption(QStringLiteral("Restore folder:")), 5, 0);
        l->addWidget(txtFTPrestoreDir, 5, 1);
        l->addWidget(cmdSelectPathFTPrestore, 5, 2);
        l->addWidget(caption(QStringLiteral("Retrieve files:")), 6, 0);
        l->addWidget(txtRetrieveMask, 6, 1);
        l->addWidget(cmdFTPretrieve, 6, 2, 1, 2);
        l->addWidget(cmdTestFTPconnection, 7, 1);
        l->addWidget(lstServerFiles, 1, 2, 4, 2);
        l->addWidget(lblFTPstatus, 8, 0, 1, 4);
        l->setColumnStretch(1, 3);
        l->setColumnStretch(3, 2);
        l->setRowStretch(9, 1);
    }
    Frame10->hide();
    panels->addWidget(Frame10, 0, 0);

    // Hand-over to the shutdown program.
    Frame11 = make<VbFrame>(QStringLiteral("Frame11"), QStringLiteral("Automatic shutdown"));
    cmdConfigAS = make<VbCommandButton>(QStringLiteral("cmdConfigAS"), QStringLiteral("Configure Morrowick..."));
    {
        auto* l = new QVBoxLayout(Frame11);
        tight(l);
        auto* note = caption(QStringLiteral(
            "Morrowick can start this profile's backup at a chosen time and shut the computer down "
            "afterwards. The button hands the profile over and starts Morrowick."));
        note->setWordWrap(true);
        l->addWidget(note);
        l->addWidget(cmdConfigAS, 0, Qt::AlignLeft);
        l->addStretch(1);
    }
    Frame11->hide();
    panels->addWidget(Frame11, 0, 0);
    return page;
}

// ---------------------------------------------------------------------------
// tab 4: ZIP options

QWidget* frmMain_BackUp::buildZipTab() {
    auto* page = new QWidget;
    QVBoxLayout *left, *rightCol;
    twoColumns(page, &left, &rightCol);

    pctArchive = make<VbPictureBox>(QStringLiteral("pctArchive"));
    pctArchive->setFrameShape(QFrame::StyledPanel);
    {
        auto* grp = new VbOptionGroup(pctArchive);
        auto* l = new QHBoxLayout(pctArchive);
        tight(l);
        l->addWidget(caption(QStringLiteral("New archive:")));
        const char* texts[] = {"daily", "weekly", "monthly"};
        for (int i = 0; i < 3; ++i) {
            optArchive.slot(i) = make<VbOptionButton>(QStringLiteral("optArchive"), QString::fromLatin1(texts[i]), i);
            grp->add(optArchive(i));
            l->addWidget(optArchive(i));
        }
        l->addStretch(1);
    }
    left->addWidget(pctArchive);

    Slider1 = make<VbSlider>(QStringLiteral("Slider1"), 0, 9, 6);
    Slider1->setToolTip(QStringLiteral("Compression level"));
    left->addLayout(row({caption(QStringLiteral("Compression:")), caption(QStringLiteral("fast")), Slider1,
                         caption(QStringLiteral("best"))}));

    chkWriteLog = make<VbCheckBox>(QStringLiteral("chkWriteLog"), QStringLiteral("Write an archive log"));
    chkOverwriteFile = make<VbCheckBox>(QStringLiteral("chkOverwriteFile"),
                                        QStringLiteral("Replace older files in the archive"));

    auto* extras = group(QStringLiteral("Add to the archive"));
    chkInclRegistry = make<VbCheckBox>(QStringLiteral("chkInclRegistry"), QStringLiteral("Registry"));
    optRegistryTXT = make<VbOptionButton>(QStringLiteral("optRegistryTXT"), QStringLiteral("as text"));
    optRegistryREG = make<VbOptionButton>(QStringLiteral("optRegistryREG"), QStringLiteral("as REG file"));
    chkInclOutlook = make<VbCheckBox>(QStringLiteral("chkInclOutlook"), QStringLiteral("Outlook mail"));
    chkInclOutlookE = make<VbCheckBox>(QStringLiteral("chkInclOutlookE"), QStringLiteral("Outlook Express mail"));
    {
        auto* regFormat = new QWidget;
        auto* grp = new VbOptionGroup(regFormat);
        grp->add(optRegistryTXT);
        grp->add(optRegistryREG);
        auto* rl = new QHBoxLayout(regFormat);
        rl->setContentsMargins(0, 0, 0, 0);
        rl->addWidget(optRegistryTXT);
        rl->addWidget(optRegistryREG);
        rl->addStretch(1);
        auto* l = new QGridLayout(extras);
        tight(l);
        l->addWidget(chkInclRegistry, 0, 0);
        l->addWidget(regFormat, 0, 1);
        l->addWidget(chkInclOutlook, 1, 0, 1, 2);
        l->addWidget(chkInclOutlookE, 2, 0, 1, 2);
    }
    left->addWidget(extras);

    frmZipStatistc = make<VbFrame>(QStringLiteral("frmZipStatistc"), QStringLiteral("Statistics"));
    frmZipStatistc->setToolTip(QStringLiteral("DblClick to reset backup statistics"));
    lblAnzOfArchives = make<VbLabel>(QStringLiteral("lblAnzOfArchives"), QStringLiteral("0"));
    lblTotalSizeOfArchives = make<VbLabel>(QStringLiteral("lblTotalSizeOfArchives"), QStringLiteral("0"));
    lblNumberOfBackups = make<VbLabel>(QStringLiteral("lblNumberOfBackups"), QStringLiteral("0"));
    lblLastBackupDate = make<VbLabel>(QStringLiteral("lblLastBackupDate"), QStringLiteral("N/A"));
    lblAverageBuTime = make<VbLabel>(QStringLiteral("lblAverageBuTime"), QStringLiteral("0"));
    lblTotalNumOfFiles = make<VbLabel>(QStringLiteral("lblTotalNumOfFiles"), QStringLiteral("0"));
    {
        auto* l = new QFormLayout(frmZipStatistc);
        tight(l);
        l->setVerticalSpacing(1);
        l->addRow(QStringLiteral("Archives:"), lblAnzOfArchives);
        l->addRow(QStringLiteral("Size of all archives (Mb):"), lblTotalSizeOfArchives);
        l->addRow(QStringLiteral("Backups:"), lblNumberOfBackups);
        l->addRow(QStringLiteral("Last backup:"), lblLastBackupDate);
        l->addRow(QStringLiteral("Average backup time (s):"), lblAverageBuTime);
        l->addRow(QStringLiteral("Files backed up:"), lblTotalNumOfFiles);
    }
    left->addWidget(frmZipStatistc);
    left->addStretch(1);

    Frame8 = make<VbFrame>(QStringLiteral("Frame8"), QStringLiteral("Archive"));
    chkMaxFiles = make<VbCheckBox>(QStringLiteral("chkMaxFiles"), QStringLiteral("At most"));
    txtMaxFiles = make<VbTextBox>(QStringLiteral("txtMaxFiles"), QStringLiteral("1000"));
    chkMaxZIPsize = make<VbCheckBox>(QStringLiteral("chkMaxZIPsize"), QStringLiteral("At most"));
    txtMaxZIPsize = make<VbTextBox>(QStringLiteral("txtMaxZIPsize"), QStringLiteral("100"));
    chkSplit = make<VbCheckBox>(QStringLiteral("chkSplit"), QStringLiteral("Split files too large for a volume"));
    chkAppendArchive = make<VbCheckBox>(QStringLiteral("chkAppendArchive"),
                                        QStringLiteral("Append to an existing archive"));
    chkDeleteArchive = make<VbCheckBox>(QStringLiteral("chkDeleteArchive"),
                                        QStringLiteral("Delete archives older than"));
    txtDeleteArchive = make<VbTextBox>(QStringLiteral("txtDeleteArchive"), QStringLiteral("365"));
    chkEncrypt = make<VbCheckBox>(QStringLiteral("chkEncrypt"), QStringLiteral("Encrypt the archive"));
    txtEncryptPassword = make<VbTextBox>(QStringLiteral("txtEncryptPassword"));
    txtEncryptPassword->setPasswordMode(true);
    chkRemeberPassword = make<VbCheckBox>(QStringLiteral("chkRemeberPassword"), QStringLiteral("Remember"));
    for (VbTextBox* t : {txtMaxFiles, txtMaxZIPsize, txtDeleteArchive})
        t->setFixedWidth(50);
    {
        auto* l = new QGridLayout(Frame8);
        tight(l);
        l->addWidget(chkMaxFiles, 0, 0);
        l->addLayout(row({txtMaxFiles, caption(QStringLiteral("files per volume"))}, true), 0, 1);
        l->addWidget(chkMaxZIPsize, 1, 0);
        l->addLayout(row({txtMaxZIPsize, caption(QStringLiteral("Mb per volume"))}, true), 1, 1);
        l->addWidget(chkSplit, 2, 0, 1, 2);
        l->addWidget(chkAppendArchive, 3, 0, 1, 2);
        // The long caption has the row to itself, so the column of boxes
        // stays narrow enough for the default window.
        l->addLayout(row({chkDeleteArchive, txtDeleteArchive, caption(QStringLiteral("days"))}, true), 4, 0, 1, 2);
        l->addWidget(chkEncrypt, 5, 0, 1, 2);
        l->addWidget(caption(QStringLiteral("Password:")), 6, 0);
        l->addLayout(row({txtEncryptPassword, chkRemeberPassword}), 6, 1);
        l->setColumnStretch(1, 1);
    }
    rightCol->addWidget(Frame8);
    // Below the archive options, so that both columns fit the default window.
    rightCol->addWidget(chkWriteLog);
    rightCol->addWidget(chkOverwriteFile);
    rightCol->addStretch(1);
    return page;
}

// ---------------------------------------------------------------------------
// tab 5: schedule (and the user's program settings)

QWidget* frmMain_BackUp::buildScheduleTab() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    tight(v);
    SSTab2 = make<VbTabControl>(QStringLiteral("SSTab2"));
    v->addWidget(SSTab2);

    auto* tasks = new QWidget;
    {
        lstTasks = make<VbListBox>(QStringLiteral("lstTasks"), VbListBox::Style::Standard);
        cmdNew = make<VbCommandButton>(QStringLiteral("cmdNew"), QStringLiteral("&Add New"));
        cmdProps = make<VbCommandButton>(QStringLiteral("cmdProps"), QStringLiteral("&Properties"));
        cdmDelete = make<VbCommandButton>(QStringLiteral("cdmDelete"), QStringLiteral("&Delete"));
        cmdRun = make<VbCommandButton>(QStringLiteral("cmdRun"), QStringLiteral("&Run Now!"));
        auto* g = new QGridLayout(tasks);
        tight(g);
        g->addWidget(lstTasks, 0, 0, 5, 1);
        g->addWidget(cmdNew, 0, 1);
        g->addWidget(cmdProps, 1, 1);
        g->addWidget(cdmDelete, 2, 1);
        g->addWidget(cmdRun, 3, 1);
        auto* info = new QGridLayout;
        info->setVerticalSpacing(1);
        const char* captions[5] = {"Program File :", "Command Line:", "Flags :", "Last Runtime  :",
                                   "Next Runtime:"};
        for (int i = 0; i < 5; ++i) {
            lblInfo.slot(i) = make<VbLabel>(QStringLiteral("lblInfo_%1").arg(i), QString());
            lblInfo(i)->setTextInteractionFlags(Qt::TextSelectableByMouse);
            info->addWidget(caption(QString::fromLatin1(captions[i])), i, 0);
            info->addWidget(lblInfo(i), i, 1);
        }
        info->setColumnStretch(1, 1);
        g->addLayout(info, 5, 0, 1, 2);
        g->setRowStretch(4, 1);
        g->setColumnStretch(0, 1);
    }
    SSTab2->addTab(tasks, QStringLiteral("Scheduled Tasks"));

    auto* prefs = new QWidget;
    {
        cmbLanguage = make<VbComboBox>(QStringLiteral("cmbLanguage"), VbComboBox::Style::DropdownList);
        cmbLanguage->setMinimumWidth(120);
        chkProfileStandard = make<VbCheckBox>(QStringLiteral("chkProfileStandard"),
                                              QStringLiteral("Always start with the profile Standard"));
        chkSound = make<VbCheckBox>(QStringLiteral("chkSound"), QStringLiteral("Sounds and spoken messages"));
        chkSystray = make<VbCheckBox>(QStringLiteral("chkSystray"), QStringLiteral("Start in the system tray"));
        chkWinOnTop = make<VbCheckBox>(QStringLiteral("chkWinOnTop"), QStringLiteral("Window always on top"));
        chkStartWithWindow =
            make<VbCheckBox>(QStringLiteral("chkStartWithWindow"), QStringLiteral("Start when I log in"));
        chkSelectionWarning = make<VbCheckBox>(QStringLiteral("chkSelectionWarning"),
                                               QStringLiteral("Report entries already in the source list"));
        auto* l = new QVBoxLayout(prefs);
        tight(l);
        l->addLayout(row({caption(QStringLiteral("Language:")), cmbLanguage}, true));
        for (QWidget* w : std::initializer_list<QWidget*>{chkProfileStandard, chkSound, chkSystray, chkWinOnTop,
                                                         chkStartWithWindow, chkSelectionWarning})
            l->addWidget(w);
        l->addStretch(1);
    }
    SSTab2->addTab(prefs, QStringLiteral("Program Settings"));
    SSTab2->setTab(0);
    return page;
}

// ---------------------------------------------------------------------------
// the strip below the tabs: error indicator, status line, links

QWidget* frmMain_BackUp::buildBottomStrip() {
    auto* strip = new QWidget;
    auto* h = new QHBoxLayout(strip);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(6);

    ErrorIndicator = make<VbPictureBox>(QStringLiteral("ErrorIndicator"));
    ErrorIndicator->setFixedSize(14, 14);
    ErrorIndicator->setFrameShape(QFrame::Panel);
    ErrorIndicator->setFrameShadow(QFrame::Sunken);
    ErrorIndicator->setBackColor(0xFF00);  // green: nothing logged
    ErrorIndicator->setToolTip(QStringLiteral("Error indicator"));
    lblError = make<VbLabel>(QStringLiteral("lblError"), QStringLiteral("Click Error log"));
    lblError->setLink(true);
    lblError->setForeColor(0x0000C0);
    lblError->hide();

    txtNews = make<VbTextBox>(QStringLiteral("txtNews"));
    txtNews->setLocked(true);
    txtNews->setFocusPolicy(Qt::NoFocus);

    Label7 = make<VbLabel>(QStringLiteral("Label7"), QStringLiteral("bug report"));
    Label32 = make<VbLabel>(QStringLiteral("Label32"), QStringLiteral("Software Suite"));
    lblNRVHome = make<VbLabel>(QStringLiteral("lblNRVHome"), QStringLiteral("n.r.v"));
    for (VbLabel* l : {Label7, Label32, lblNRVHome})
        l->setLink(true);
    Command1 = make<VbCommandButton>(QStringLiteral("Command1"), QStringLiteral("Generate Text"));
    Command1->setToolTip(QStringLiteral("Write the window's texts for a translation"));

    h->addWidget(ErrorIndicator);
    h->addWidget(lblError);
    h->addWidget(txtNews, 1);
    h->addWidget(Label7);
    h->addWidget(Label32);
    h->addWidget(lblNRVHome);
    h->addWidget(Command1);
    return strip;
}

// ---------------------------------------------------------------------------
// design values and events

void frmMain_BackUp::wireEvents() {
    // Design values that the settings' defaults match.
    for (VbCheckBox* c : {chkHiddenFolders, chkMaxFiles, chkMedia, chkAppendArchive, chkSplit, chkOverwriteFile,
                          chkInclSubDirStruct, chkResetArchiveBit, chkSound, chkMaxZIPsize})
        c->setValue(1);
    for (VbOptionButton* o : {optBuMode(0), optArchive(0), optNewOnly, optRegistryREG, optWaitBefore(1),
                              optWaitAfter(4)})
        o->setValue(true);

    // Form and menus.
    connect(mnuHelp, &QAction::triggered, this, &frmMain_BackUp::mnuHelp_Click);
    connect(mnuShow, &QAction::triggered, this, &frmMain_BackUp::mnuShow_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain_BackUp::mnuExit_Click);
    connect(mnuExit1, &QAction::triggered, this, &frmMain_BackUp::mnuExit1_Click);
    connect(mnuHelp1, &QAction::triggered, this, &frmMain_BackUp::mnuHelp1_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain_BackUp::mnuAbout_Click);
    connect(tbTools, &VbToolbar::ButtonClick, this, &frmMain_BackUp::tbTools_ButtonClick);
    connect(tbTools, &VbToolbar::ButtonMenuClick, this, &frmMain_BackUp::tbTools_ButtonMenuClick);

    // Backup mode and destination panels.
    for (VbOptionButton* o : optBuMode) {
        const int index = o->Index();
        connect(o, &VbOptionButton::Click, this, [this, index] { optBuMode_Click(index); });
    }
    connect(cmdSetupFTP, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSetupFTP_Click);
    connect(cmdSetupMedia, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSetupMedia_Click);
    connect(cmdSetupEmail, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSetupEmail_Click);

    // Option rules.
    connect(chkSendEmail, &VbCheckBox::Click, this, &frmMain_BackUp::chkSendEmail_Click);
    connect(chkFTP, &VbCheckBox::Click, this, &frmMain_BackUp::chkFTP_Click);
    connect(chkMedia, &VbCheckBox::Click, this, &frmMain_BackUp::chkMedia_Click);
    connect(chkInclOutlook, &VbCheckBox::Click, this, &frmMain_BackUp::chkInclOutlook_Click);
    connect(chkInclOutlookE, &VbCheckBox::Click, this, &frmMain_BackUp::chkInclOutlookE_Click);
    connect(chkOverwriteFile, &VbCheckBox::Click, this, &frmMain_BackUp::chkOverwriteFile_Click);
    connect(chkHiddenFolders, &VbCheckBox::Click, this, &frmMain_BackUp::chkHiddenFolders_Click);
    connect(chkWinOnTop, &VbCheckBox::Click, this, &frmMain_BackUp::chkWinOnTop_Click);
    connect(chkAddNewSub, &VbCheckBox::Click, this, &frmMain_BackUp::chkAddNewSub_Click);
    connect(chkStartWithWindow, &VbCheckBox::Click, this, &frmMain_BackUp::chkStartWithWindow_Click);
    connect(txtDirExclusions, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtDirExclusions_LostFocus);
    connect(txtExclusions, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtExclusions_LostFocus);
    connect(txtInclusions, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtInclusions_LostFocus);
    connect(txtExclYoungDay, &VbTextBox::Change, this, &frmMain_BackUp::txtExclYoungDay_Change);
    connect(txtExclYoungDay, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtExclYoungDay_LostFocus);
    connect(txtDeleteArchive, &VbTextBox::Change, this, &frmMain_BackUp::txtDeleteArchive_Change);
    connect(txtDeleteArchive, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtDeleteArchive_LostFocus);
    connect(txtWaitSecondsBefore, &VbTextBox::Change, this, &frmMain_BackUp::txtWaitSecondsBefore_Change);
    connect(txtWaitSecondsBefore, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtWaitSecondsBefore_LostFocus);
    connect(txtWaitSecondsAfter, &VbTextBox::Change, this, &frmMain_BackUp::txtWaitSecondsAfter_Change);
    connect(txtWaitSecondsAfter, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtWaitSecondsAfter_LostFocus);
    connect(txtSpareSpace, &VbTextBox::Change, this, &frmMain_BackUp::txtSpareSpace_Change);
    connect(txtSpareSpace, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtSpareSpace_LostFocus);
    connect(txtPathBackUp, &VbTextBox::Change, this, &frmMain_BackUp::txtPathBackUp_Change);
    connect(txtPathBackUp, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtPathBackUp_LostFocus);
    connect(txtMaxZIPsize, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtMaxZIPsize_LostFocus);
    connect(txtMaxFiles, &VbTextBox::LostFocus, this, &frmMain_BackUp::txtMaxFiles_LostFocus);

    // Sources, folder tree and pickers.
    connect(cmdSelect, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSelect_Click);
    connect(cmdUnselect, &VbCommandButton::Click, this, &frmMain_BackUp::cmdUnselect_Click);
    connect(cmdExclude, &VbCommandButton::Click, this, &frmMain_BackUp::cmdExclude_Click);
    connect(cmdDirPlus, &VbCommandButton::Click, this, &frmMain_BackUp::cmdDirPlus_Click);
    connect(cmdFilesPlus, &VbCommandButton::Click, this, &frmMain_BackUp::cmdFilesPlus_Click);
    connect(File1, &VbFileListBox::DblClick, this, &frmMain_BackUp::File1_DblClick);
    connect(cmdSubPlus, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSubPlus_Click);
    connect(FolderTreeview1, &VbFolderTree::Select, this, &frmMain_BackUp::FolderTreeview1_Select);
    connect(cmdSelectPath, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSelectPath_Click);
    connect(cmdSelectPathTemp, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSelectPathTemp_Click);
    connect(cmdSelectSyncSourceDirectory, &VbCommandButton::Click, this,
            &frmMain_BackUp::cmdSelectSyncSourceDirectory_Click);
    connect(cmdSelectSyncDestinyDirectory, &VbCommandButton::Click, this,
            &frmMain_BackUp::cmdSelectSyncDestinyDirectory_Click);
    connect(cmdSelectPathBefore, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSelectPathBefore_Click);
    connect(cmdSelectPathAfter, &VbCommandButton::Click, this, &frmMain_BackUp::cmdSelectPathAfter_Click);
    connect(ErrorIndicator, &VbPictureBox::DblClick, this, &frmMain_BackUp::ErrorIndicator_DblClick);

    // Profiles.
    connect(cmbProfiles, &VbComboBox::GotFocus, this, &frmMain_BackUp::cmbProfiles_GotFocus);
    connect(cmbProfiles, &VbComboBox::Click, this, &frmMain_BackUp::cmbProfiles_Click);

    // Scheduled tasks.
    connect(cmdNew, &VbCommandButton::Click, this, &frmMain_BackUp::cmdNew_Click);
    connect(cmdProps, &VbCommandButton::Click, this, &frmMain_BackUp::cmdProps_Click);
    connect(cdmDelete, &VbCommandButton::Click, this, &frmMain_BackUp::cdmDelete_Click);
    connect(cmdRun, &VbCommandButton::Click, this, &frmMain_BackUp::cmdRun_Click);
    connect(lstTasks, &VbListBox::Click, this, &frmMain_BackUp::lstTasks_Click);
    connect(TimerRT, &VbTimer::Timer, this, &frmMain_BackUp::TimerRT_Timer);
    connect(SSTab2, &VbTabControl::GotFocus, this, &frmMain_BackUp::SSTab2_GotFocus);
    connect(SSTab2, &VbTabControl::LostFocus, this, &frmMain_BackUp::SSTab2_LostFocus);

    // Utilities.
    connect(Command1, &VbCommandButton::Click, this, &frmMain_BackUp::Command1_Click);
    connect(frmZipStatistc, &VbFrame::DblClick, this, &frmMain_BackUp::frmZipStatistc_DblClick);
    connect(Label32, &VbLabel::Click, this, &frmMain_BackUp::Label32_Click);
    connect(lblNRVHome, &VbLabel::Click, this, &frmMain_BackUp::lblNRVHome_Click);
    connect(Label7, &VbLabel::Click, this, &frmMain_BackUp::Label7_Click);
    connect(lblError, &VbLabel::Click, this, &frmMain_BackUp::lblError_Click);

    // CD recorder.
    connect(chkUseCDRecorder, &VbCheckBox::Click, this, &frmMain_BackUp::chkUseCDRecorder_Click);
    connect(chkAppendArchive, &VbCheckBox::Click, this, &frmMain_BackUp::chkAppendArchive_Click);
    connect(cboDevices, &VbComboBox::Click, this, &frmMain_BackUp::cboDevices_Click);
    connect(cboWriteSpeed, &VbComboBox::Click, this, &frmMain_BackUp::cboWriteSpeed_Click);

    // FTP panel and hand-over.
    connect(cmdFTPretrieve, &VbCommandButton::Click, this, &frmMain_BackUp::cmdFTPretrieve_Click);
    connect(cmdTestFTPconnection, &VbCommandButton::Click, this, &frmMain_BackUp::cmdTestFTPconnection_Click);
    connect(cmdSelectPathFTPrestore, &VbCommandButton::Click, this,
            &frmMain_BackUp::cmdSelectPathFTPrestore_Click);
    connect(cmdConfigAS, &VbCommandButton::Click, this, &frmMain_BackUp::cmdConfigAS_Click);

    connect(tmrtimeout, &VbTimer::Timer, this, &frmMain_BackUp::tmrtimeout_Timer);
}

// ---------------------------------------------------------------------------
// form properties

// The frame of the window as Left, Top, Width and Height give it: a
// maximised window gives its normal place, which is what a later start
// restores (the maximised state itself is not kept).
QRect frmMain_BackUp::placementFrame() const {
    if (placement_.isOpen())
        return placement_.wanted();
    if (WindowState() == 2 && normalGeometry().isValid())
        return normalGeometry().marginsAdded(frameMargins());
    return frameGeometry();
}

QMargins frmMain_BackUp::frameMargins() const {
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

float frmMain_BackUp::Left() const { return PixelsToTwips(placementFrame().x()); }
float frmMain_BackUp::Top() const { return PixelsToTwips(placementFrame().y()); }
float frmMain_BackUp::Width() const { return PixelsToTwips(placementFrame().width()); }
float frmMain_BackUp::Height() const { return PixelsToTwips(placementFrame().height()); }

void frmMain_BackUp::setFrame(const std::function<void(QRect&)>& change) {
    QRect frame = placement_.isOpen() ? placement_.wanted() : frameGeometry();
    change(frame);
    placement_.want(frame);
    fitFrame();
    // A window manager tells its frame within moments of the first show;
    // after that, moves and resizes are the user's own.
    if (!fitTimer_) {
        fitTimer_ = new QTimer(this);
        fitTimer_->setSingleShot(true);
        connect(fitTimer_, &QTimer::timeout, this, [this] { placement_.close(); });
    }
    fitTimer_->stop();
    if (isVisible())
        fitTimer_->start(3000);
}

void frmMain_BackUp::fitFrame() {
    const QMargins margins = frameMargins();
    const QRect client = placement_.clientFor(margins);
    resize(client.size());
    move(placement_.wanted().topLeft());  // a window's position is that of its frame
    if (isVisible() && !margins.isNull())
        placement_.close();
}

void frmMain_BackUp::refitFrame() {
    if (!isVisible() || !placement_.isOpen())
        return;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        placement_.close();
        return;
    }
    if (fitTimer_ && !fitTimer_->isActive())
        fitTimer_->start(3000);
    if (placement_.needsRefit(frameMargins()))
        fitFrame();
}

void frmMain_BackUp::setLeft(float twips) { setFrame([&](QRect& r) { r.moveLeft(TwipsToPixels(twips)); }); }
void frmMain_BackUp::setTop(float twips) { setFrame([&](QRect& r) { r.moveTop(TwipsToPixels(twips)); }); }
void frmMain_BackUp::setWidth(float twips) {
    setFrame([&](QRect& r) { r.setWidth(std::max(1, TwipsToPixels(twips))); });
}
void frmMain_BackUp::setHeight(float twips) {
    setFrame([&](QRect& r) { r.setHeight(std::max(1, TwipsToPixels(twips))); });
}

int frmMain_BackUp::WindowState() const {
    const Qt::WindowStates s = windowState();
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & Qt::WindowMaximized)
        return 2;
    return 0;
}

void frmMain_BackUp::setWindowState(int state) {
    placement_.close();  // the window's place is settled
    switch (state) {
    case 0: QMainWindow::setWindowState(Qt::WindowNoState); break;
    case 1: QMainWindow::setWindowState(Qt::WindowMinimized); break;
    case 2: QMainWindow::setWindowState(Qt::WindowMaximized); break;
    default: RaiseInvalidValue();
    }
}

void frmMain_BackUp::Refresh() {
    // What changed since the last paint is drawn now (the rest of the window
    // is on the screen already); a window not shown yet is drawn in full by
    // its first paint.
    if (!isVisible())
        return;
    QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

void frmMain_BackUp::PopupMenu(QMenu* menu) {
    if (menu)
        menu->exec(QCursor::pos());
}

bool frmMain_BackUp::Unload() {
    if (unloading_)
        return true;
    int cancel = 0;
    Form_QueryUnload(cancel, 1);  // unloaded by the program
    if (cancel != 0)
        return false;
    unloading_ = true;
    Form_Unload(cancel);
    hide();
    return true;
}

void frmMain_BackUp::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
        return;
    }
    // The window has no close box of its own, but a window manager may still
    // offer one (or a key for it): closing the window is the program's exit.
    event->ignore();
    mnuExit_Click();
    if (unloading_)
        event->accept();
}

void frmMain_BackUp::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    refitFrame();
}

void frmMain_BackUp::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    refitFrame();
    placeAnimation();
    Form_Resize();
}

// The clip sits below the run log on the overview tab (its place there is
// shown while the clip is), and in the middle of the tab area on the others.
void frmMain_BackUp::placeAnimation() {
    if (!Animation1 || !SSTab1)
        return;
    Animation1->adjustSize();
    const QSize s = Animation1->size();
    if (clipSlot_ && SSTab1->Tab() == 0) {
        if (clipSlot_->size() != s)
            clipSlot_->setFixedSize(s);  // comes back here once laid out
        Animation1->move(clipSlot_->mapTo(centralWidget(), QPoint(0, 0)));
    } else {
        const QRect tabs = SSTab1->geometry();
        Animation1->move(tabs.center().x() - s.width() / 2, tabs.center().y() - s.height() / 2);
    }
    Animation1->raise();
}

// ---------------------------------------------------------------------------
// Event handlers whose behaviour later work fills in. The window's life
// cycle (loading, unloading, exit, tray) is in frmMain_Lifecycle.cpp.

void frmMain_BackUp::tbTools_ButtonClick(const QString& Key) {
    // Toolbar commands mostly skip their errors silently.
    vb::Quiet([&] {
        if (Key == QLatin1String("Exit"))
            mnuExit_Click();
        else if (Key == QLatin1String("Start"))
            cmdBackUpNow();
        else if (Key == QLatin1String("Stop"))
            cmdCancelBackUp_Click();
        else if (Key == QLatin1String("SaveAs"))
            SaveProfileAs();
        else if (Key == QLatin1String("New"))
            NewProfile();
        else if (Key == QLatin1String("Delete"))
            DeleteProfile();
        else if (Key == QLatin1String("Update"))
            CheckForUpdate();
        else if (Key == QLatin1String("Restore"))
            WithMainWindowHidden(this, [&] {
                frmRestore restore(this);
                restore.Show();
            });
        else if (Key == QLatin1String("Help"))
            mnuHelp_Click();
        else if (Key == QLatin1String("Home"))
            LoadNews();
        else if (Key == QLatin1String("Minimize"))
            cmdSetTray();
    });
}




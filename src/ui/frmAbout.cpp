// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmAbout.h"

#include <QMouseEvent>
#include <QMovie>
#include <QPainter>

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_Registry.h"
#include "common/MakerSite.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "ui/controls/VbLabel.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"

int FaceLabel::vbButton(Qt::MouseButton b) {
    return b == Qt::LeftButton ? 1 : b == Qt::RightButton ? 2 : b == Qt::MiddleButton ? 4 : 0;
}

void FaceLabel::mousePressEvent(QMouseEvent* e) {
    ui::VbLabel::mousePressEvent(e);
    emit MouseDown(vbButton(e->button()), 0, float(e->position().x() * 15), float(e->position().y() * 15));
}

void FaceLabel::mouseReleaseEvent(QMouseEvent* e) {
    emit MouseUp(vbButton(e->button()), 0, float(e->position().x() * 15), float(e->position().y() * 15));
    ui::VbLabel::mouseReleaseEvent(e);
}

namespace {
constexpr int kButtonW = 120;
constexpr int kButtonH = 28;

// A button face: raised when released, sunken when pressed.
QPixmap face(bool pressed) {
    QPixmap p(kButtonW, kButtonH);
    p.fill(QColor(0x3A, 0x5A, 0x8C));
    QPainter g(&p);
    const QColor light(0x8F, 0xAE, 0xDC), dark(0x1C, 0x2C, 0x48);
    g.setPen(pressed ? dark : light);
    g.drawLine(0, 0, kButtonW - 1, 0);
    g.drawLine(0, 0, 0, kButtonH - 1);
    g.setPen(pressed ? light : dark);
    g.drawLine(0, kButtonH - 1, kButtonW - 1, kButtonH - 1);
    g.drawLine(kButtonW - 1, 0, kButtonW - 1, kButtonH - 1);
    return p;
}

ui::VbLabel* link(ui::VbLabel* l) {
    l->setCursor(Qt::PointingHandCursor);
    return l;
}
}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setFixedSize(440, 270);
    imgButton[0] = face(false);
    imgButton[1] = face(true);

    Image1 = link(new ui::VbLabel(QStringLiteral("Image1"), QString(), this));
    Image1->setGeometry(20, 20, 162, 57);
    auto* movie = new QMovie(platform::ProgramFolderHost() + QStringLiteral("/../Common/bitmap/n.r.v2.gif"), {}, this);
    Image1->setMovie(movie);
    movie->start();

    lblTitle = new ui::VbLabel(QStringLiteral("lblTitle"), QStringLiteral("Application Title"), this);
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    lblTitle->setFont(big);
    lblTitle->setGeometry(200, 20, 220, 34);
    lblVersion = new ui::VbLabel(QStringLiteral("lblVersion"), QStringLiteral("Version"), this);
    lblVersion->setGeometry(200, 56, 220, 20);
    Label1 = new ui::VbLabel(QStringLiteral("Label1"), QStringLiteral("Platforms  Windows 95, 98, Me, NT, 2000 and XP"),
                             this);
    Label1->setGeometry(20, 96, 400, 20);
    Label3 = link(new ui::VbLabel(QStringLiteral("Label3"), QStringLiteral("Member of"), this));
    Label3->setGeometry(20, 122, 80, 20);
    Label2 = link(new ui::VbLabel(QStringLiteral("Label2"), QStringLiteral("Software Suite"), this));
    Label2->setGeometry(100, 122, 200, 20);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    lblCopyright = link(new ui::VbLabel(
        QStringLiteral("lblCopyright"),
        QStringLiteral("Free software under the GNU General Public License, version 3 or later."), this));
    lblCopyright->setGeometry(20, 148, 400, 40);
    lblCopyright->setWordWrap(true);

    auto button = [this](const char* imageName, const char* labelName, const QString& caption, int x,
                         ui::VbLabel*& image, FaceLabel*& label) {
        image = new ui::VbLabel(QString::fromLatin1(imageName), QString(), this);
        image->setGeometry(x, 222, kButtonW, kButtonH);
        image->setPixmap(imgButton[0]);
        label = new FaceLabel(QString::fromLatin1(labelName), caption, this);
        label->setGeometry(x, 222, kButtonW, kButtonH);
        label->setAlignment(Qt::AlignCenter);
        label->setForeColor(kReleasedColour);
        label->setCursor(Qt::PointingHandCursor);
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        label->raise();
    };
    button("ImgSysInfo", "lblSysInfo", QStringLiteral("System Info ..."), 170, ImgSysInfo, lblSysInfo);
    button("imgOk", "lblOK", QStringLiteral("OK"), 300, imgOk, lblOK);

    connect(lblOK, &ui::VbLabel::Click, this, &frmAbout::lblOK_Click);
    connect(imgOk, &ui::VbLabel::Click, this, &frmAbout::imgOk_Click);
    connect(lblSysInfo, &ui::VbLabel::Click, this, &frmAbout::lblSysInfo_Click);
    connect(ImgSysInfo, &ui::VbLabel::Click, this, &frmAbout::ImgSysInfo_Click);
    connect(lblOK, &FaceLabel::MouseDown, this, &frmAbout::lblOK_MouseDown);
    connect(lblOK, &FaceLabel::MouseUp, this, &frmAbout::lblOK_MouseUp);
    connect(lblSysInfo, &FaceLabel::MouseDown, this, &frmAbout::lblSysInfo_MouseDown);
    connect(lblSysInfo, &FaceLabel::MouseUp, this, &frmAbout::lblSysInfo_MouseUp);
    connect(Image1, &ui::VbLabel::Click, this, &frmAbout::Image1_Click);
    connect(Label2, &ui::VbLabel::Click, this, &frmAbout::Label2_Click);
    connect(Label3, &ui::VbLabel::Click, this, &frmAbout::Label3_Click);
    connect(lblCopyright, &ui::VbLabel::Click, this, &frmAbout::lblCopyright_Click);
}

void frmAbout::ShowModal() {
    Form_Load();
    // Nobody could close a modal box without a display.
    if (platform::Dialogs::interactive())
        exec();
}

void frmAbout::Form_Load() {
    vb::Quiet([&] { lblVersion->setCaption(QStringLiteral("Version ") + VersionText); });
    vb::Quiet([&] { lblTitle->setCaption(ProgramName); });
    vb::Quiet([&] { setWindowTitle(QStringLiteral("About ") + ProgramName); });
}

void frmAbout::lblOK_Click() {
    vb::Handler h(QStringLiteral("lblOK_Click of Formular frmAbout"));
    h.Next(10, [&] { close(); });
    vb::DoEvents();
}

void frmAbout::lblSysInfo_Click() {
    vb::Handler h(QStringLiteral("lblSysInfo_Click of Formular frmAbout"));
    h.Next(10, [&] { StartSysInfo(); });
    vb::DoEvents();
}

void frmAbout::faceDown(ui::VbLabel* image, ui::VbLabel* label, int button) {
    if (button != 1)
        return;
    vb::Quiet([&] {
        image->setPixmap(imgButton[1]);
        label->setForeColor(kPressedColour);
    });
}

void frmAbout::faceUp(ui::VbLabel* image, ui::VbLabel* label) {
    vb::Quiet([&] {
        image->setPixmap(imgButton[0]);
        label->setForeColor(kReleasedColour);
    });
}

void frmAbout::lblOK_MouseDown(int Button, int, float, float) { faceDown(imgOk, lblOK, Button); }
void frmAbout::lblOK_MouseUp(int, int, float, float) { faceUp(imgOk, lblOK); }
void frmAbout::lblSysInfo_MouseDown(int Button, int, float, float) { faceDown(ImgSysInfo, lblSysInfo, Button); }
void frmAbout::lblSysInfo_MouseUp(int, int, float, float) { faceUp(ImgSysInfo, lblSysInfo); }

void frmAbout::StartSysInfo() {
    try {
        QString p = ReadKey(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH"));
        if (p.isEmpty()) {
            p = ReadKey(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO"));
            if (!FileExists(p + QStringLiteral("\\MSINFO32.EXE")))
                throw vb::VbError(53);
            p = p + QStringLiteral("\\MSINFO32.EXE");
        }
        platform::Shell(p, platform::vbNormalFocus);
    } catch (...) {
        platform::MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), platform::vbOKOnly,
                         QStringLiteral("Info"));
    }
}

void frmAbout::openHomePage() {
    vb::Quiet([] { platform::ShellOpen(MakerPage(QStringLiteral("/nrv"))); });
}


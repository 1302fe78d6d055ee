// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmSplash.h"

#include <QElapsedTimer>
#include <QThread>
#include <cmath>

#include "common/Globals.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/CentreForm.h"
#include "ui/GlimmoraSite.h"
#include "ui/controls/VbControl.h"
#include "ui/controls/VbLabel.h"
#include "ui/controls/VbProgressBar.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

namespace {
constexpr qint64 kLongestWaitMs = 5000;

// The name and the version are drawn twice, a pixel apart, for a shadow.
void shadowPair(ui::VbLabel* front, ui::VbLabel* back, int x, int y, int w, int h, int points) {
    QFont f(QStringLiteral("Bookman Old Style"));
    f.setPointSize(points);
    f.setBold(true);
    for (ui::VbLabel* l : {back, front}) {
        l->setFont(f);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    back->setGeometry(x + 1, y + 1, w, h);
    front->setGeometry(x, y, w, h);
    back->setForeColor(0xFFFFFF);
    front->setForeColor(0x0040C0);
    front->raise();
}
}  // namespace

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(400, 240);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xE8, 0xEE, 0xF4));
    setPalette(pal);


    lblTitle = new ui::VbLabel(QStringLiteral("lblTitle"), QString(), this);
    lblTitel2 = new ui::VbLabel(QStringLiteral("lblTitel2"), QString(), this);
    shadowPair(lblTitle, lblTitel2, 20, 86, 360, 40, 22);
    lblVersion = new ui::VbLabel(QStringLiteral("lblVersion"), QStringLiteral("Version"), this);
    lblVersion2 = new ui::VbLabel(QStringLiteral("lblVersion2"), QStringLiteral("Version"), this);
    shadowPair(lblVersion, lblVersion2, 22, 128, 200, 22, 11);

    Label3 = new ui::VbLabel(QStringLiteral("Label3"), QStringLiteral("You have used this application"), this);
    Label3->setGeometry(22, 158, 220, 18);
    lblUseCounter = new ui::VbLabel(QStringLiteral("lblUseCounter"), QStringLiteral("1 times"), this);
    lblUseCounter->setGeometry(244, 158, 136, 18);
    QFont bold = lblUseCounter->font();
    bold.setBold(true);
    lblUseCounter->setFont(bold);
    Label2 = new ui::VbLabel(QStringLiteral("Label2"), QStringLiteral("loading ..."), this);
    Label2->setGeometry(22, 184, 200, 18);
    ProgressBar1 = new ui::VbProgressBar(QStringLiteral("ProgressBar1"), this);
    ProgressBar1->setGeometry(20, 206, 360, 16);
    ProgressBar1->setTextVisible(false);
}

void frmSplash::Show() {
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
}

void frmSplash::Unload() { close(); }

// The pictures are made when the window is loaded, and only for someone to
// see: the image control lays out and decodes its pictures.
void frmSplash::BuildPictures() {
    Glimmora1 = CreateFormGlimmora(this, QStringLiteral("frmSplash"), 2430, 855);
    Glimmora1->move(20, 18);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(400 - 20 - 48, 18, 48, 48);
    Image1->setPixmap(QPixmap(platform::ProgramFolderHost() + QStringLiteral("/../Common/bitmap/seagull.gif")));
    Image1->lower();
    Glimmora1->lower();
}

void frmSplash::Form_Load() {
    // The pictures first: a failure here leaves them out and nothing else.
    if (!nobodyToSee_) {
        BuildPictures();
        vb::Quiet([&] { ShowFormPictures(Glimmora1); });
    }

    vb::Handler h(QStringLiteral("Form_Load of Formular frmSplash"));
    h.Next(3, [&] {
        CentreOnScreen(this);
    });
    qint32 uses = 0;
    h.Next(4, [&] {
        uses = vb::CLng(platform::GetSetting(settings::UserSettingsApp(), QLatin1String(settings::kSettings),
                                             QStringLiteral("UseCounter"), QStringLiteral("0")));
    });
    // At the top of the range the count stays where it is; the overflow is logged.
    h.Next(4, [&] { uses = vb::AddLong(uses, 1); });
    h.Next(4, [&] {
        platform::SaveSetting(settings::UserSettingsApp(), QLatin1String(settings::kSettings),
                              QStringLiteral("UseCounter"), QString::number(uses));
    });
    h.Next(5, [&] { lblUseCounter->setCaption(QString::number(uses) + QStringLiteral(" times")); });
    h.Next(6, [&] {
        const QString version = QStringLiteral("v. ") + VersionText;
        lblVersion->setCaption(version);
        lblVersion2->setCaption(version);
    });
    h.Next(7, [&] {
        lblTitle->setCaption(ProgramName);
        lblTitel2->setCaption(ProgramName);
    });

    // About three seconds from the start time taken to the nearest second;
    // measured as elapsed time, so a start just before midnight ends too.
    double waitMs = 3000;
    qint64 started = 0;
    h.Next(8, [&] {
        show();
        const double now = vb::Timer();
        started = vb::MonotonicMs();
        waitMs = (std::round(now) + 3 - now) * 1000;
        vb::DoEvents();
        repaint();
        vb::DoEvents();
    });
    h.Next(9, [&] {
        // A clock that stands still (a test's) must not keep the start waiting.
        QElapsedTimer real;
        real.start();
        while (!nobodyToSee_ && double(vb::MonotonicMs() - started) < waitMs && real.elapsed() < kLongestWaitMs) {
            vb::DoEvents();
            ProgressBar1->setValue(ProgressBar1->Max());
            QThread::msleep(5);
        }
    });
    SplashActive = false;
    vb::DoEvents();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmSplash.h"

#include <QLabel>
#include <QVBoxLayout>

#include "common/Globals.h"
#include "platform/Paths.h"
#include "ui/GlimmoraSite.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(24, 18 + 57 + 12, 24, 18);
    // The image control sizes itself; it stands outside the layout.
    Glimmora1 = CreateFormGlimmora(this, QStringLiteral("frmSplash"), 2430, 855);
    Glimmora1->move(24, 18);
    lblProductName = new QLabel(this);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont big = lblProductName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    lblProductName->setFont(big);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    v->addWidget(lblProductName);
    v->addWidget(lblVersion);
}

void frmSplash::Show() {
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
}

void frmSplash::Unload() { close(); }

void frmSplash::Form_Load() {
    // The pictures first: a failure here leaves them out and nothing else.
    vb::Quiet([&] {
        const QString bitmaps = platform::ProgramFolder() + QStringLiteral("\\..\\Common\\bitmap\\");
        GlimmoraCall([&] {
            Glimmora1->SetBackgroundPath(bitmaps + QStringLiteral("seagull.gif"));
            Glimmora1->SetImagePath(bitmaps + QStringLiteral("n.r.v2.gif"));
        });
    });
    vb::Handler h(QStringLiteral("Form_Load of Formular frmSplash"));
    h.Next(1, [&] { lblProductName->setText(ProgramName); });
    h.Next(2, [&] { lblVersion->setText(QStringLiteral("Version ") + VersionText); });
    // The last step of the loading tells start-up that the splash is done.
    SplashActive = false;
    vb::DoEvents();
}

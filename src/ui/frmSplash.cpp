// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmSplash.h"

#include <QLabel>
#include <QVBoxLayout>

#include "common/Globals.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(24, 18, 24, 18);
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
    vb::Handler h(QStringLiteral("Form_Load of Formular frmSplash"));
    h.Next(1, [&] { lblProductName->setText(ProgramName); });
    h.Next(2, [&] { lblVersion->setText(QStringLiteral("Version ") + VersionText); });
    // The last step of the loading tells start-up that the splash is done.
    SplashActive = false;
    vb::DoEvents();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

class QLabel;
namespace glimmora {
class Glimmora;
}

// The splash window shown while the program starts. Start-up raises
// SplashActive, shows the window (its Form_Load runs to its end inside Show),
// waits until the flag is down again and unloads the window.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Loads the window (Form_Load) and shows it without modality.
    void Show();
    // Closes the window; it deletes itself.
    void Unload();

    void Form_Load();

    glimmora::Glimmora* Glimmora1 = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;

private:
    bool loaded_ = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

namespace glimmora {
class Glimmora;
}
namespace ui {
class VbLabel;
class VbProgressBar;
}  // namespace ui
class QLabel;

// The splash window shown once at every start, before the main window
// exists. Start-up raises SplashActive and shows the window: its Form_Load
// counts the start, shows name, version and count, stays about three seconds
// and lowers the flag as its last step; start-up then unloads it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Loads the window (Form_Load, which shows it) the first time.
    void Show();
    // Closes the window; it deletes itself.
    void Unload();

    void Form_Load();

    // With no display nobody can see the window: it then counts the start and
    // fills its labels as always, but does not keep the start waiting, and
    // its pictures (Glimmora1, Image1) are not made.
    void SetNobodyToSee(bool nobody) { nobodyToSee_ = nobody; }

    glimmora::Glimmora* Glimmora1 = nullptr;
    ui::VbLabel* lblUseCounter = nullptr;
    ui::VbLabel* lblTitle = nullptr;
    ui::VbLabel* lblTitel2 = nullptr;
    ui::VbLabel* lblVersion = nullptr;
    ui::VbLabel* lblVersion2 = nullptr;
    ui::VbProgressBar* ProgressBar1 = nullptr;
    ui::VbLabel* Label3 = nullptr;
    ui::VbLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;

private:
    void BuildPictures();
    bool loaded_ = false;
    bool nobodyToSee_ = false;
};

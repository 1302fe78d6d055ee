// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QPixmap>

class QLabel;

#include "ui/controls/VbLabel.h"

// A label that also reports the mouse button going down and up, in VB's
// numbering (1 left, 2 right, 4 middle).
class FaceLabel : public ui::VbLabel {
    Q_OBJECT
public:
    using ui::VbLabel::VbLabel;

signals:
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);

protected:
    static int vbButton(Qt::MouseButton b);
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The about box: product name and version, the maker's home page, and the
// system information tool. Its two buttons are a picture with a label on it;
// the picture shows the pressed face while the left button is held.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Loads the form and shows it modally; returns when it is closed.
    void ShowModal();

    void Form_Load();
    void Form_Unload(int& Cancel) {}
    void lblOK_Click();
    void imgOk_Click() { lblOK_Click(); }
    void lblSysInfo_Click();
    void ImgSysInfo_Click() { lblSysInfo_Click(); }
    void lblOK_MouseDown(int Button, int Shift, float X, float Y);
    void lblOK_MouseUp(int Button, int Shift, float X, float Y);
    void lblSysInfo_MouseDown(int Button, int Shift, float X, float Y);
    void lblSysInfo_MouseUp(int Button, int Shift, float X, float Y);
    void Image1_Click() { openHomePage(); }
    void Label2_Click() { openHomePage(); }
    void Label3_Click() { openHomePage(); }
    void lblCopyright_Click() { openHomePage(); }

    ui::VbLabel* lblTitle = nullptr;
    ui::VbLabel* lblVersion = nullptr;
    ui::VbLabel* Label1 = nullptr;
    ui::VbLabel* Label2 = nullptr;
    ui::VbLabel* Label3 = nullptr;
    ui::VbLabel* lblCopyright = nullptr;
    ui::VbLabel* Image1 = nullptr;
    QPixmap imgButton[2];  // the button faces: 0 released, 1 pressed
    ui::VbLabel* imgOk = nullptr;
    FaceLabel* lblOK = nullptr;
    ui::VbLabel* ImgSysInfo = nullptr;
    FaceLabel* lblSysInfo = nullptr;

    static constexpr qint32 kReleasedColour = 0xFFC0C0;
    static constexpr qint32 kPressedColour = qint32(0x80000012u);

private:
    void StartSysInfo();
    void openHomePage();
    void faceDown(ui::VbLabel* image, ui::VbLabel* label, int button);
    void faceUp(ui::VbLabel* image, ui::VbLabel* label);
};

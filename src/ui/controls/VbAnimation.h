// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLabel>

class QMovie;

namespace ui {

// A VB animation control: Open a clip file (a Windows path), Play it in a
// loop, Stop on the current frame, Close it. A missing file raises 53; a
// file that holds no playable clip raises 35752.
class VbAnimation : public QLabel {
    Q_OBJECT
public:
    explicit VbAnimation(const QString& name, QWidget* parent = nullptr);
    ~VbAnimation() override;

    void Open(const QString& windowsPath);
    void Play();
    void Stop();
    void Close();
    bool isOpen() const { return movie_ != nullptr; }
    bool isPlaying() const;

private:
    QMovie* movie_ = nullptr;
};

}  // namespace ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTimer>
#include <QWidget>

namespace ui {

// The window's small animated picture (147 x 52 pixels): the product name
// with a light that sweeps across it while the animation runs.
class VbAniGif : public QWidget {
    Q_OBJECT
public:
    VbAniGif(const QString& name, const QString& text, QWidget* parent = nullptr);

    void Play();
    void Stop();
    bool isPlaying() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QTimer timer_;
    int frame_ = 0;
};

}  // namespace ui

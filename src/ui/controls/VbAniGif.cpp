// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbAniGif.h"

#include <QLinearGradient>
#include <QPainter>

namespace ui {

namespace {
constexpr int kFrames = 40;
}

VbAniGif::VbAniGif(const QString& name, const QString& text, QWidget* parent)
    : QWidget(parent), text_(text) {
    setObjectName(name);
    setFixedSize(147, 52);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    });
}

void VbAniGif::Play() { timer_.start(80); }
void VbAniGif::Stop() { timer_.stop(); }

void VbAniGif::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient bg(r.topLeft(), r.bottomLeft());
    bg.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    bg.setColorAt(1, QColor(0x0b, 0x2a, 0x55));
    p.setBrush(bg);
    p.setPen(QColor(0x0b, 0x2a, 0x55));
    p.drawRoundedRect(r, 6, 6);

    // The sweeping light.
    const double x = (width() + 60.0) * frame_ / kFrames - 30.0;
    QLinearGradient shine(QPointF(x - 30, 0), QPointF(x + 30, 0));
    shine.setColorAt(0, QColor(255, 255, 255, 0));
    shine.setColorAt(0.5, QColor(255, 255, 255, 70));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(r, 6, 6);

    QFont f = font();
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(rect().translated(1, 1), Qt::AlignCenter, text_);
    p.setPen(QColor(0xf0, 0xc0, 0x40));
    p.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace ui

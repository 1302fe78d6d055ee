// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbControl.h"

#include "vb/VbError.h"

namespace ui {

QColor VbColor(qint32 bgr) {
    const quint32 v = static_cast<quint32>(bgr);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

qint32 VbColorValue(const QColor& c) {
    return static_cast<qint32>((static_cast<quint32>(c.blue()) << 16) |
                               (static_cast<quint32>(c.green()) << 8) |
                               static_cast<quint32>(c.red()));
}

void SetHeightTwips(QWidget* w, int twips) {
    if (twips < 0)
        RaiseInvalidValue();
    w->setFixedHeight(TwipsToPixels(twips));
}

int HeightTwips(const QWidget* w) { return w->height() * kTwipsPerPixel; }

void RaiseInvalidValue() { vb::Raise(380, QStringLiteral("Invalid property value")); }
void RaiseInvalidIndex() { vb::Raise(381, QStringLiteral("Invalid property array index")); }

}  // namespace ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QString>
#include <QWidget>

// Small helpers shared by the VB-like controls of the forms.
namespace ui {

// Forms and controls measure in twips; the screen has 15 twips per pixel.
constexpr int kTwipsPerPixel = 15;
inline int TwipsToPixels(double twips) { return qRound(twips / kTwipsPerPixel); }
inline float PixelsToTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }

// VB colours are &HBBGGRR numbers.
QColor VbColor(qint32 bgr);
qint32 VbColorValue(const QColor& c);

// VB's Visible property: the control's own flag, not whether its tab or its
// window is on screen at the moment.
inline bool Visible(const QWidget* w) { return w && !w->isHidden(); }

// Height and width of a control in twips (a fixed size, so a layout keeps it).
void SetHeightTwips(QWidget* w, int twips);
int HeightTwips(const QWidget* w);

// VB's "Invalid property value" (380) and "Invalid property array index" (381).
[[noreturn]] void RaiseInvalidValue();
[[noreturn]] void RaiseInvalidIndex();

}  // namespace ui

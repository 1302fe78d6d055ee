// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QWidget;
namespace ui {
class VbProgressBar;
class VbTextBox;
}

// What a run shows on the main window while it works: the status line, the
// run log, the animation and the spoken texts. The texts are always exact;
// only the repaints that a run asks for per file are limited to a few dozen
// a second, so that a run over many small files is not slowed down by its
// display.
namespace run_display {

// txtNews = LangText(n), repainted.
void Status(int langTextNumber);
void StatusText(const QString& text);

// The run log: `line`, a line break and the former text, cut to its first
// 2000 characters.
void LogLine(const QString& line);
// The run log replaced.
void SetLog(const QString& text);

// Animation1: stop what it plays, open "<program folder>\..\Common\avi\<clip>",
// show and play it. A clip that is missing or cannot be played is passed
// over: the run does not depend on its pictures.
void PlayClip(const QString& clip);
void StopClip();

// Sets a text box's text unless it holds that text already (which would
// only lay the same text out again).
void SetText(ui::VbTextBox* box, const QString& text);
// The same for a counter that changes with every file: shown at most once a
// frame (the box's Text() has the latest text at once).
void SetCounter(ui::VbTextBox* box, const QString& text);

// Moves a progress bar to `value`. The bar takes it at once when it reaches
// 0 or the bar's end, when `now` is given, or when its last move was a frame
// ago or longer; otherwise the value waits for the next move (a bar repaints
// itself at each new value).
void SetBar(ui::VbProgressBar* bar, int value, bool now = false);

// Repaints the widget at once, or skips the repaint when the last one of
// this widget was less than a frame ago (the next event round paints it).
void RepaintSoon(QWidget* widget);

// Speaks a text when chkSound is 1 and sound is available.
void Speak(const QString& text);
// The end-of-run sound, or a beep when sound is off.
void PlayCloseSound();

}  // namespace run_display

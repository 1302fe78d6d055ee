// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Loads "<program folder>\..\Common\language\<fileName>" into LangText.
//
// A text line is, after blanks at both ends are removed: "T", the number in
// four digits, a TAB and the text (blanks at both ends removed, TABs inside
// kept). Any other line is a comment: empty lines, lines not starting with a
// capital T, lines without a TAB or whose only TAB ends them. Only the four
// characters after the T form the number; a later line of the same number
// wins.
//
// Returns true when the whole file was read. A missing file shows a message
// (in English, no language is loaded yet) and returns false; a line whose
// number cannot be read stops the loading, is logged and returns false.
bool set_language(const QString& fileName);

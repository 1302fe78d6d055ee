// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QTextDocument;

// A small reader of Rich Text Format documents (the news page) for the rich
// text box: paragraphs, line breaks and tabs; bold, italic and underline;
// font sizes; the colour table and text colours; "\'hh" characters in
// Windows-1252; "\u" characters with their "\uc" fallbacks. Groups it does
// not know (font and style tables, pictures, fields' instructions, "\*"
// groups) are skipped; so is anything after the document's closing brace.
// Text that does not start with "{\rtf" is taken as plain text.
namespace platform {

// Replaces the document's content with the page.
void ReadRtf(const QString& rtf, QTextDocument* document);

// The page's text: paragraphs and line breaks as CR LF.
QString RtfPlainText(const QString& rtf);

}  // namespace platform

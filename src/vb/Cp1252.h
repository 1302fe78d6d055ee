// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>

// The Windows-1252 code page: the 8-bit text of older files and of Chr/Asc.
namespace vb {

QChar Cp1252ToUnicode(unsigned char byte);
// The byte for a character, -1 when the code page has none.
int UnicodeToCp1252(QChar c);
QString DecodeCp1252(QByteArrayView bytes);
// One byte per character that the code page holds (the five unassigned bytes
// stand for the control characters of the same number, so every byte comes
// back unchanged through DecodeCp1252); a character it cannot hold becomes
// its UTF-8 bytes instead.
QByteArray EncodeCp1252(const QString& text);
// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise.
QString DecodeText(QByteArrayView bytes);

}  // namespace vb

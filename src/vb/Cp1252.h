// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArrayView>
#include <QChar>
#include <QString>

// The Windows-1252 code page: the 8-bit text of older files and of Chr/Asc.
namespace vb {

QChar Cp1252ToUnicode(unsigned char byte);
// The byte for a character, -1 when the code page has none.
int UnicodeToCp1252(QChar c);
QString DecodeCp1252(QByteArrayView bytes);
// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise.
QString DecodeText(QByteArrayView bytes);

}  // namespace vb

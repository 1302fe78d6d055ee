// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// The ANSI code page of the machines the archives were made on (Windows-1252).
// The cipher turns texts into bytes and back with it, so that a password or a
// text gives the same bytes here as it did there.
namespace crypto {

// One byte per character that Windows-1252 holds; a character it cannot hold
// becomes its UTF-8 bytes instead.
QByteArray ToAnsiBytes(const QString& text);

// One character per byte. The five byte values that Windows-1252 leaves
// unassigned (81, 8D, 8F, 90, 9D hex) become the control characters of the
// same number, so every byte value has a character and ToAnsiBytes gives the
// bytes back unchanged.
QString FromAnsiBytes(const QByteArray& bytes);

}  // namespace crypto

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// The bytes of a host file name and the text the program works with, in
// both directions without loss, so that every file the user has can be
// reached again by the name it was listed under:
// - valid UTF-8 is its text;
// - a byte that is not part of valid UTF-8 becomes the lone surrogate
//   U+DC80..U+DCFF of its value (as Python's "surrogateescape" does), and
//   goes back to that byte;
// - a "\" inside a name becomes U+F05C, a character the Windows form never
//   takes for a separator, and goes back to "\".
// Every system call of the path layer and the file primitives takes its
// names through HostBytes, every name read from the system comes through
// HostText.
namespace platform {

QByteArray HostBytes(const QString& text);
QString HostText(const char* bytes, qsizetype size);
inline QString HostText(const char* bytes) { return HostText(bytes, qsizetype(qstrlen(bytes))); }
inline QString HostText(const QByteArray& bytes) { return HostText(bytes.constData(), bytes.size()); }

// The stand-in of a "\" inside a host name.
inline constexpr char16_t kBackslashInName = u'\xF05C';

// True when the bytes are valid UTF-8 throughout.
bool IsUtf8(const QByteArray& bytes);

}  // namespace platform

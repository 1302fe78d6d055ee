// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace vb {

// VB's Like with Option Compare Binary: "*" any run, "?" one character, "#"
// one digit, "[abc]" / "[a-z]" one of a set, "[!...]" none of a set; "[*]"
// etc. match the character itself. A malformed pattern (unclosed "[") raises
// error 93.
bool Like(const QString& text, const QString& pattern);

// The same with Option Compare Text (letter case ignored).
bool LikeText(const QString& text, const QString& pattern);

}  // namespace vb

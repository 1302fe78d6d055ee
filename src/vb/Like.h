// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>

#include <memory>

namespace vb {

// VB's Like with Option Compare Binary: "*" any run, "?" one character, "#"
// one digit, "[abc]" / "[a-z]" one of a set, "[!...]" none of a set; "[*]"
// etc. match the character itself. A malformed pattern (unclosed "[") raises
// error 93.
bool Like(const QString& text, const QString& pattern);

// The same with Option Compare Text (letter case ignored).
bool LikeText(const QString& text, const QString& pattern);

// A pattern of Like read once, for matching many texts: matches(text) is
// Like(text, pattern) (LikeText with `ignoreCase`). A malformed pattern
// raises error 93 here.
class LikePattern {
public:
    explicit LikePattern(const QString& pattern, bool ignoreCase = false);
    bool matches(QStringView text) const;

private:
    struct Compiled;
    std::shared_ptr<const Compiled> compiled_;
};

// A mask with only "*" (any run) and "?" (one character) as wildcards, every
// other character standing for itself, as a whole-text match.
bool WildcardMatch(const QString& text, const QString& mask, Qt::CaseSensitivity cs);

}  // namespace vb

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

// A file-name pattern as Windows' directory search reads it: "*" any run of
// characters, "?" one character; "*.*" is every name (with or without a
// dot), "*." the names without a dot, and a "?" before a dot or at the end
// may also match nothing ("a?.txt" takes "a.txt"). Compared without regard
// to case.
namespace platform {

class WindowsPattern {
public:
    explicit WindowsPattern(const QString& pattern);
    bool matches(const QString& name) const;

private:
    std::vector<char32_t> expr_;
};

// True when the text holds "*" or "?".
bool HasWildcards(const QString& text);

}  // namespace platform

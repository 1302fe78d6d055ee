// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowsPattern.h"

#include <QList>
#include <algorithm>

namespace platform {
namespace {

// Codes outside the Unicode range for the search's special forms.
constexpr char32_t kStar = 0x110000;      // any run of characters
constexpr char32_t kDosStar = 0x110001;   // "*" before a dot: a run that stops before the last dot
constexpr char32_t kDosQm = 0x110002;     // "?": one character other than a dot, or nothing before a dot / at the end
constexpr char32_t kDosDot = 0x110003;    // "." before a wildcard or at the end: a dot, or nothing at the end

std::vector<char32_t> codePoints(const QString& s) {
    std::vector<char32_t> out;
    out.reserve(size_t(s.size()));
    for (char32_t c : s.toCaseFolded().toUcs4())
        out.push_back(c);
    return out;
}

}  // namespace

bool HasWildcards(const QString& text) {
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

WindowsPattern::WindowsPattern(const QString& pattern) {
    const std::vector<char32_t> p = codePoints(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    expr_.reserve(p.size());
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        const char32_t next = i + 1 < p.size() ? p[i + 1] : 0;
        if (c == U'?')
            expr_.push_back(kDosQm);
        else if (c == U'*')
            expr_.push_back(next == U'.' ? kDosStar : kStar);
        else if (c == U'.' && (next == U'?' || next == U'*' || next == 0))
            expr_.push_back(kDosDot);
        else
            expr_.push_back(c);
    }
}

bool WindowsPattern::matches(const QString& nameIn) const {
    // "*" (and "*.*", read as "*") takes every name: a folder's listing asks
    // this of every file.
    if (expr_.size() == 1 && expr_[0] == kStar)
        return true;
    const std::vector<char32_t> name = codePoints(nameIn);
    const size_t n = name.size();
    const size_t m = expr_.size();
    size_t lastDot = n;   // n: no dot
    for (size_t i = n; i-- > 0;) {
        if (name[i] == U'.') {
            lastDot = i;
            break;
        }
    }

    std::vector<char> cur(m + 1, 0), next(m + 1, 0);
    // The states reachable without taking a character at position pos.
    auto close = [&](std::vector<char>& s, size_t pos) {
        const bool atEnd = pos == n;
        const bool atDot = !atEnd && name[pos] == U'.';
        for (size_t j = 0; j < m; ++j) {
            if (!s[j])
                continue;
            const char32_t e = expr_[j];
            if (e == kStar || e == kDosStar || (e == kDosQm && (atEnd || atDot)) || (e == kDosDot && atEnd))
                s[j + 1] = 1;
        }
    };

    cur[0] = 1;
    close(cur, 0);
    for (size_t pos = 0; pos < n; ++pos) {
        const char32_t c = name[pos];
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (size_t j = 0; j < m; ++j) {
            if (!cur[j])
                continue;
            const char32_t e = expr_[j];
            if (e == kStar) {
                next[j] = 1;
            } else if (e == kDosStar) {
                if (c != U'.' || (lastDot != n && pos < lastDot))
                    next[j] = 1;
            } else if (e == kDosQm) {
                if (c != U'.')
                    next[j + 1] = 1;
            } else if (e == kDosDot) {
                if (c == U'.')
                    next[j + 1] = 1;
            } else if (e == c) {
                next[j + 1] = 1;
            }
        }
        for (char v : next)
            any = any || v;
        if (!any)
            return false;
        close(next, pos + 1);
        cur.swap(next);
    }
    return cur[m] != 0;
}

}  // namespace platform

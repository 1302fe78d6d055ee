// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/Like.h"

#include <QList>
#include <QRegularExpression>
#include <vector>

#include "vb/VbError.h"

namespace vb {
namespace {
struct Range {
    char32_t lo, hi;
};

struct Token {
    enum Kind { Literal, AnyOne, AnyRun, Digit, Set } kind;
    char32_t ch = 0;
    bool negate = false;
    std::vector<Range> ranges;
    explicit Token(Kind k) : kind(k) {}
};

void codePoints(QStringView s, std::vector<char32_t>& out) {
    out.clear();
    out.reserve(size_t(s.size()));
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else {
            // A lone surrogate reads as the replacement character, as in toUcs4.
            out.push_back(c.isSurrogate() ? char32_t(QChar::ReplacementCharacter) : char32_t(c.unicode()));
        }
    }
}

std::vector<char32_t> codePoints(const QString& s) {
    std::vector<char32_t> out;
    codePoints(QStringView(s), out);
    return out;
}

char32_t fold(char32_t c) { return QChar::toCaseFolded(c); }

// Parses the whole pattern first, so that a malformed one fails whatever the
// text is.
std::vector<Token> compile(const QString& pattern, bool ignoreCase) {
    const auto p = codePoints(pattern);
    std::vector<Token> out;
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (c == U'*') {
            if (out.empty() || out.back().kind != Token::AnyRun)
                out.push_back(Token(Token::AnyRun));
        } else if (c == U'?') {
            out.push_back(Token(Token::AnyOne));
        } else if (c == U'#') {
            out.push_back(Token(Token::Digit));
        } else if (c == U'[') {
            Token t(Token::Set);
            size_t j = i + 1;
            if (j < p.size() && p[j] == U'!') {
                t.negate = true;
                ++j;
            }
            bool closed = false;
            for (; j < p.size(); ++j) {
                if (p[j] == U']') {
                    closed = true;
                    break;
                }
                char32_t lo = p[j], hi = p[j];
                if (j + 2 < p.size() && p[j + 1] == U'-' && p[j + 2] != U']') {
                    hi = p[j + 2];
                    j += 2;
                    if (hi < lo)
                        Raise(93);
                }
                if (ignoreCase) {
                    lo = fold(lo);
                    hi = fold(hi);
                    if (hi < lo)
                        std::swap(lo, hi);
                }
                t.ranges.push_back({lo, hi});
            }
            if (!closed)
                Raise(93);
            i = j;
            // "[]" stands for nothing: it matches the empty text.
            if (t.ranges.empty() && !t.negate)
                continue;
            out.push_back(std::move(t));
        } else {
            Token t(Token::Literal);
            t.ch = ignoreCase ? fold(c) : c;
            out.push_back(t);
        }
    }
    return out;
}

bool matchOne(const Token& t, char32_t c) {
    switch (t.kind) {
    case Token::Literal:
        return t.ch == c;
    case Token::AnyOne:
        return true;
    case Token::Digit:
        return c >= U'0' && c <= U'9';
    case Token::Set: {
        bool in = false;
        for (const Range& r : t.ranges)
            if (c >= r.lo && c <= r.hi) {
                in = true;
                break;
            }
        return in != t.negate;
    }
    case Token::AnyRun:
        break;
    }
    return false;
}

bool matchTokens(const std::vector<Token>& toks, QStringView text, bool ignoreCase) {
    // The buffers are kept between calls: a search matches many names.
    thread_local std::vector<char32_t> s;
    thread_local std::vector<char> reach, next;
    codePoints(text, s);
    if (ignoreCase)
        for (char32_t& c : s)
            c = fold(c);
    // Row by row over the pattern: reach[i] = the first i characters are matched.
    reach.assign(s.size() + 1, 0);
    next.assign(s.size() + 1, 0);
    reach[0] = 1;
    for (const Token& t : toks) {
        std::fill(next.begin(), next.end(), 0);
        if (t.kind == Token::AnyRun) {
            char any = 0;
            for (size_t i = 0; i <= s.size(); ++i) {
                any |= reach[i];
                next[i] = any;
            }
        } else {
            for (size_t i = 0; i < s.size(); ++i)
                if (reach[i] && matchOne(t, s[i]))
                    next[i + 1] = 1;
        }
        reach.swap(next);
    }
    return reach[s.size()] != 0;
}

bool like(const QString& text, const QString& pattern, bool ignoreCase) {
    return matchTokens(compile(pattern, ignoreCase), text, ignoreCase);
}
}  // namespace

bool Like(const QString& text, const QString& pattern) { return like(text, pattern, false); }
bool LikeText(const QString& text, const QString& pattern) { return like(text, pattern, true); }

struct LikePattern::Compiled {
    std::vector<Token> tokens;
    bool ignoreCase;
};

LikePattern::LikePattern(const QString& pattern, bool ignoreCase)
    : compiled_(std::make_shared<const Compiled>(Compiled{compile(pattern, ignoreCase), ignoreCase})) {}

bool LikePattern::matches(QStringView text) const {
    return matchTokens(compiled_->tokens, text, compiled_->ignoreCase);
}

bool WildcardMatch(const QString& text, const QString& mask, Qt::CaseSensitivity cs) {
    QString re;
    for (const QChar c : mask) {
        if (c == QLatin1Char('*'))
            re += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            re += QLatin1Char('.');
        else
            re += QRegularExpression::escape(QString(c));
    }
    QRegularExpression::PatternOptions options = QRegularExpression::DotMatchesEverythingOption;
    if (cs == Qt::CaseInsensitive)
        options |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(QLatin1String("\\A(?:") + re + QLatin1String(")\\z"), options).match(text).hasMatch();
}

}  // namespace vb

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RtfReader.h"

#include <QColor>
#include <QList>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

#include "vb/Cp1252.h"

namespace platform {

namespace {

struct GroupState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0;   // 0: the document's default size
    int color = 0;        // index into the colour table; 0: automatic
    int unicodeSkip = 1;  // characters that stand in for a "\u" character
    bool skip = false;    // a group whose text is not shown
    bool colorTable = false;
};

// Destinations whose content is no text of the page.
const QSet<QString>& SkippedDestinations() {
    static const QSet<QString> s = {
        QStringLiteral("fonttbl"), QStringLiteral("stylesheet"), QStringLiteral("info"),
        QStringLiteral("pict"), QStringLiteral("object"), QStringLiteral("header"),
        QStringLiteral("headerl"), QStringLiteral("headerr"), QStringLiteral("headerf"),
        QStringLiteral("footer"), QStringLiteral("footerl"), QStringLiteral("footerr"),
        QStringLiteral("footerf"), QStringLiteral("fldinst"), QStringLiteral("listtable"),
        QStringLiteral("listoverridetable"), QStringLiteral("rsidtbl"), QStringLiteral("generator"),
        QStringLiteral("filetbl"), QStringLiteral("revtbl"), QStringLiteral("themedata"),
        QStringLiteral("colorschememapping"), QStringLiteral("datastore"), QStringLiteral("latentstyles"),
        QStringLiteral("xmlnstbl"), QStringLiteral("bkmkstart"), QStringLiteral("bkmkend"),
        QStringLiteral("footnote"), QStringLiteral("annotation"), QStringLiteral("nonshppict"),
        QStringLiteral("shp"), QStringLiteral("template"), QStringLiteral("xe"), QStringLiteral("tc"),
        QStringLiteral("pntext"), QStringLiteral("pntxta"), QStringLiteral("pntxtb"),
        QStringLiteral("objdata"), QStringLiteral("mmathPr"), QStringLiteral("pgdsctbl"),
    };
    return s;
}

class Reader {
public:
    Reader(const QString& rtf, QTextDocument* doc) : in_(rtf), cursor_(doc) {}

    void run() {
        states_.push_back(GroupState{});
        int depth = 0;
        bool started = false;
        while (pos_ < in_.size()) {
            const QChar c = in_[pos_++];
            if (c == QLatin1Char('{')) {
                states_.push_back(states_.back());
                groupStart_ = true;
                ++depth;
                started = true;
                continue;
            }
            if (c == QLatin1Char('}')) {
                if (states_.size() > 1)
                    states_.pop_back();
                pendingSkip_ = 0;
                groupStart_ = false;
                if (--depth <= 0 && started)
                    break;   // the end of the document
                continue;
            }
            if (c == QLatin1Char('\\')) {
                control();
                groupStart_ = false;
                continue;
            }
            groupStart_ = false;
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                continue;
            if (state().colorTable) {
                if (c == QLatin1Char(';'))
                    endColor();
                continue;
            }
            text(c);
        }
        flush();
    }

private:
    GroupState& state() { return states_.back(); }

    void control() {
        if (pos_ >= in_.size())
            return;
        const QChar c = in_[pos_];
        if (!c.isLetter()) {
            ++pos_;
            symbol(c);
            return;
        }
        const qsizetype start = pos_;
        while (pos_ < in_.size() && in_[pos_].isLetter() && in_[pos_].unicode() < 128)
            ++pos_;
        const QString word = in_.mid(start, pos_ - start);
        bool hasParam = false;
        int param = 0;
        const qsizetype numStart = pos_;
        if (pos_ < in_.size() && in_[pos_] == QLatin1Char('-'))
            ++pos_;
        while (pos_ < in_.size() && in_[pos_].isDigit() && pos_ - numStart < 11)
            ++pos_;
        if (pos_ > numStart && !(pos_ == numStart + 1 && in_[numStart] == QLatin1Char('-'))) {
            hasParam = true;
            param = in_.mid(numStart, pos_ - numStart).toInt();
        } else {
            pos_ = numStart;
        }
        if (pos_ < in_.size() && in_[pos_] == QLatin1Char(' '))
            ++pos_;
        controlWord(word, hasParam, param);
    }

    void symbol(QChar c) {
        switch (c.unicode()) {
        case '\\': case '{': case '}':
            text(c);
            break;
        case '~':
            text(QChar(0x00A0));
            break;
        case '_':
            text(QChar(0x2011));
            break;
        case '-':
            break;   // an optional hyphen
        case '*':
            state().skip = true;   // an ignorable destination
            break;
        case '\'': {
            const QString hex = in_.mid(pos_, 2);
            pos_ += hex.size();
            bool ok = false;
            const int byte = hex.toInt(&ok, 16);
            if (ok)
                text(vb::Cp1252ToUnicode(static_cast<unsigned char>(byte)));
            break;
        }
        case '\r': case '\n':
            paragraph();
            break;
        default:
            break;
        }
    }

    void controlWord(const QString& w, bool hasParam, int param) {
        GroupState& s = state();
        const bool on = !hasParam || param != 0;
        if (groupStart_ && SkippedDestinations().contains(w)) {
            s.skip = true;
            return;
        }
        if (w == QLatin1String("colortbl")) {
            s.colorTable = true;
            s.skip = true;
            colors_.clear();
            color_ = {};
            return;
        }
        if (s.colorTable) {
            if (w == QLatin1String("red")) color_.red = param, color_.any = true;
            else if (w == QLatin1String("green")) color_.green = param, color_.any = true;
            else if (w == QLatin1String("blue")) color_.blue = param, color_.any = true;
            return;
        }
        if (w == QLatin1String("par") || w == QLatin1String("sect") || w == QLatin1String("row")) {
            if (!s.skip)
                paragraph();
        } else if (w == QLatin1String("line")) {
            text(QChar(QChar::LineSeparator));
        } else if (w == QLatin1String("tab") || w == QLatin1String("cell")) {
            text(QLatin1Char('\t'));
        } else if (w == QLatin1String("b")) {
            s.bold = on;
        } else if (w == QLatin1String("i")) {
            s.italic = on;
        } else if (w == QLatin1String("ul")) {
            s.underline = on;
        } else if (w == QLatin1String("ulnone")) {
            s.underline = false;
        } else if (w == QLatin1String("fs")) {
            s.halfPoints = hasParam && param > 0 ? param : 0;
        } else if (w == QLatin1String("cf")) {
            s.color = hasParam ? param : 0;
        } else if (w == QLatin1String("plain")) {
            s.bold = s.italic = s.underline = false;
            s.halfPoints = 0;
            s.color = 0;
        } else if (w == QLatin1String("uc")) {
            s.unicodeSkip = hasParam && param >= 0 ? param : 1;
        } else if (w == QLatin1String("u") && hasParam) {
            const int code = param < 0 ? param + 65536 : param;
            text(QChar(char16_t(code)));
            pendingSkip_ = s.unicodeSkip;
            return;   // the fallback characters follow
        } else if (w == QLatin1String("emdash")) {
            text(QChar(0x2014));
        } else if (w == QLatin1String("endash")) {
            text(QChar(0x2013));
        } else if (w == QLatin1String("bullet")) {
            text(QChar(0x2022));
        } else if (w == QLatin1String("lquote")) {
            text(QChar(0x2018));
        } else if (w == QLatin1String("rquote")) {
            text(QChar(0x2019));
        } else if (w == QLatin1String("ldblquote")) {
            text(QChar(0x201C));
        } else if (w == QLatin1String("rdblquote")) {
            text(QChar(0x201D));
        }
    }

    void text(QChar c) {
        if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (state().skip)
            return;
        const QTextCharFormat f = format();
        if (!run_.isEmpty() && f != runFormat_)
            flush();
        runFormat_ = f;
        run_ += c;
    }

    QTextCharFormat format() {
        const GroupState& s = state();
        QTextCharFormat f;
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        if (s.halfPoints > 0)
            f.setFontPointSize(s.halfPoints / 2.0);
        if (s.color > 0 && s.color < colors_.size() && colors_[s.color].isValid())
            f.setForeground(colors_[s.color]);
        return f;
    }

    void flush() {
        if (!run_.isEmpty()) {
            cursor_.insertText(run_, runFormat_);
            run_.clear();
        }
    }

    void paragraph() {
        flush();
        cursor_.insertBlock();
    }

    void endColor() {
        colors_.append(color_.any ? QColor(color_.red, color_.green, color_.blue) : QColor());
        color_ = {};
    }

    struct ColorParts {
        int red = 0, green = 0, blue = 0;
        bool any = false;
    };

    const QString& in_;
    qsizetype pos_ = 0;
    QTextCursor cursor_;
    std::vector<GroupState> states_;
    bool groupStart_ = false;
    int pendingSkip_ = 0;
    QList<QColor> colors_;
    ColorParts color_;
    QString run_;
    QTextCharFormat runFormat_;
};

}  // namespace

void ReadRtf(const QString& rtf, QTextDocument* document) {
    document->clear();
    if (!rtf.trimmed().startsWith(QLatin1String("{\\rtf"))) {
        document->setPlainText(rtf);
        return;
    }
    Reader(rtf, document).run();
}

QString RtfPlainText(const QString& rtf) {
    QTextDocument doc;
    ReadRtf(rtf, &doc);
    QString text = doc.toPlainText();
    text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

}  // namespace platform

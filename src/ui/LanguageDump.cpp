// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LanguageDump.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSaveFile>
#include <QToolBar>
#include <QFile>
#include <QWidget>
#include <optional>

#include "ui/controls/VbComboBox.h"
#include "ui/controls/VbRichTextBox.h"
#include "ui/controls/VbTextBox.h"
#include "ui/controls/VbToolbar.h"
#include "vb/Cp1252.h"

namespace {

// The control's kind by the names the dump knows.
QString typeName(const QObject* o) {
    static const QList<QPair<const char*, const char*>> kinds = {
        {"ui::VbSlider", "Slider"},           {"ui::VbOptionButton", "OptionButton"},
        {"ui::VbCommonDialog", "CommonDialog"}, {"ui::VbStatusBar", "StatusBar"},
        {"ui::VbDatePicker", "DTPicker"},     {"ui::VbFolderTree", "FolderTreeview"},
        {"ui::VbFileListBox", "FileListBox"}, {"ui::VbAnimation", "Animation"},
        {"ui::VbRichTextBox", "RichTextBox"}, {"ui::VbPictureBox", "PictureBox"},
        {"ui::VbListBox", "ListBox"},         {"ui::VbTimer", "Timer"},
        {"ui::VbTabControl", "SSTab"},        {"ui::VbFrame", "Frame"},
        {"ui::VbLabel", "Label"},             {"ui::VbToolbar", "Toolbar"},
        {"ui::VbTextBox", "TextBox"},         {"ui::VbCommandButton", "CommandButton"},
        {"ui::VbCheckBox", "CheckBox"},       {"ui::VbComboBox", "ComboBox"},
        {"ui::VbProgressBar", "ProgressBar"}, {"ui::VbAniGif", "AniGIF"},
        {"QAction", "Menu"},                  {"QMenu", "Menu"},
    };
    for (const QMetaObject* m = o->metaObject(); m; m = m->superClass())
        for (const auto& [cls, kind] : kinds)
            if (qstrcmp(m->className(), cls) == 0)
                return QString::fromLatin1(kind);
    return QString::fromLatin1(o->metaObject()->className());
}

bool isControl(const QObject* o) {
    const QString name = o->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return false;
    // A toolbar's buttons and their drop-down entries belong to the toolbar.
    if (qobject_cast<const QAction*>(o) || qobject_cast<const QMenu*>(o))
        for (const QObject* p = o->parent(); p; p = p->parent())
            if (qobject_cast<const QToolBar*>(p))
                return false;
    const QString cls = QString::fromLatin1(o->metaObject()->className());
    return cls.startsWith(QLatin1String("ui::Vb")) || qobject_cast<const QAction*>(o) ||
           qobject_cast<const QMenu*>(o);
}

// A control array's members are named "<name>_<index>" and share the name.
QString vbName(const QObject* o) {
    static const QRegularExpression member(QStringLiteral("^(.*)_\\d+$"));
    const QRegularExpressionMatch m = member.match(o->objectName());
    return m.hasMatch() ? m.captured(1) : o->objectName();
}

std::optional<QString> caption(const QObject* o) {
    if (auto* a = qobject_cast<const QAction*>(o))
        return a->text();
    if (auto* m = qobject_cast<const QMenu*>(o))
        return m->title();
    if (auto* l = qobject_cast<const QLabel*>(o))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(o))
        return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(o))
        return g->title();
    return std::nullopt;
}

std::optional<QString> toolTip(const QObject* o) {
    if (qobject_cast<const QAction*>(o) || qobject_cast<const QMenu*>(o))
        return std::nullopt;  // menu entries have no tool tip
    if (auto* w = qobject_cast<const QWidget*>(o))
        return w->toolTip();
    return std::nullopt;
}

struct Out {
    QByteArray dump, code;
    void line(QByteArray& to, const QString& text) { to += vb::EncodeCp1252(text) + "\r\n"; }
};

// Calls fn(position, button) for each button of a toolbar that has a key;
// separators and gaps have none and are passed over.
template <typename Fn>
void forEachKeyedButton(const QObject* c, Fn fn) {
    auto* bar = qobject_cast<const ui::VbToolbar*>(c);
    if (!bar)
        return;
    auto* tools = const_cast<ui::VbToolbar*>(bar);
    for (int i = 1; i <= tools->Count(); ++i) {
        const ui::VbToolButton& b = tools->Buttons(i);
        if (!b.Key().isEmpty())
            fn(i, b);
    }
}

void writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(bytes);
    f.commit();
}

}  // namespace

void WriteLanguageDump(const QObject* window, const QString& dumpHostPath, const QString& codeHostPath) {
    Out out;
    qint16 n = 0;
    for (const QObject* c : window->findChildren<QObject*>()) {
        if (!isControl(c))
            continue;
        n = qint16(n + 1);
        const QString type = typeName(c);
        const QString num = QString::number(n);
        const QString name = vbName(c);
        auto captionLines = [&] {
            if (const auto text = caption(c)) {
                out.line(out.dump, QStringLiteral("C") + num + *text);
            }
        };
        auto tipLine = [&] {
            if (const auto tip = toolTip(c))
                out.line(out.dump, QStringLiteral("O") + num + *tip);
        };
        // The code lines name the property without reading it, so every
        // control of their kind gets them (a menu entry its tool-tip code
        // line too, a control without a caption its caption code line).
        auto captionCode = [&] {
            out.line(out.code, name + QStringLiteral(".Caption= txc(") + num + QLatin1Char(')'));
        };
        auto tipCode = [&] {
            out.line(out.code, name + QStringLiteral(".ToolTipText= txo(") + num + QLatin1Char(')'));
        };
        static const QStringList silent = {
            QStringLiteral("Inet"),        QStringLiteral("Winsock"),     QStringLiteral("CommonDialog"),
            QStringLiteral("ImageList"),   QStringLiteral("StatusBar"),   QStringLiteral("DTPicker"),
            QStringLiteral("FolderTreeview"), QStringLiteral("FileListBox"), QStringLiteral("Animation"),
            QStringLiteral("RichTextBox"), QStringLiteral("PictureBox"),  QStringLiteral("ListBox"),
            QStringLiteral("Image"),       QStringLiteral("Timer"),       QStringLiteral("ListView"),
            QStringLiteral("TextBox"),     QStringLiteral("ComboBox"),
        };
        if (silent.contains(type))
            continue;
        if (type == QLatin1String("Toolbar")) {
            // A member line per button, under the toolbar's number; a button
            // is named by its key, so separators and gaps give none.
            forEachKeyedButton(c, [&](int, const ui::VbToolButton& b) {
                out.line(out.dump, QStringLiteral("C") + num + b.Key() + QStringLiteral(".Caption") + b.Caption());
                out.line(out.dump,
                         QStringLiteral("O") + num + b.Key() + QStringLiteral(".ToolTipText") + b.ToolTipText());
            });
            continue;
        }
        if (type == QLatin1String("SSTab"))
            continue;  // the tab strip has no "Buttons" collection: its lines cannot be read
        if (type == QLatin1String("ProgressBar")) {
            tipLine();
            tipCode();
            continue;
        }
        captionLines();
        tipLine();
        captionCode();
        tipCode();
    }
    writeWhole(dumpHostPath, out.dump);
    writeWhole(codeHostPath, out.code);
}

namespace {

// A control array member's index, read from its "<name>_<index>" name.
std::optional<int> arrayIndex(const QObject* o) {
    static const QRegularExpression member(QStringLiteral("^.*_(\\d+)$"));
    const QRegularExpressionMatch m = member.match(o->objectName());
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

std::optional<QString> textOf(const QObject* o) {
    if (auto* t = qobject_cast<const ui::VbTextBox*>(o))
        return t->Text();
    if (auto* t = qobject_cast<const ui::VbComboBox*>(o))
        return t->Text();
    if (auto* t = qobject_cast<const ui::VbRichTextBox*>(o))
        return t->Text();
    return std::nullopt;  // the other controls have no text of their own
}

}  // namespace

void AppendLanguagePropertyDump(const QObject* window, const QString& dumpHostPath) {
    QByteArray dump;
    auto line = [&](const QString& text) { dump += vb::EncodeCp1252(text) + "\r\n"; };
    for (const QObject* c : window->findChildren<QObject*>()) {
        if (!isControl(c))
            continue;
        const QString type = typeName(c);
        const QString head = vbName(c) + c->property("Tag").toString();
        auto textLine = [&] {
            if (const auto t = textOf(c))
                line(head + *t);
        };
        auto captionLine = [&] {
            if (const auto t = caption(c))
                line(head + *t);
        };
        auto indexLine = [&] {
            const auto index = arrayIndex(c);
            const auto tip = toolTip(c);
            if (index && tip)
                line(head + QString::number(*index) + *tip);
        };
        static const QStringList silent = {QStringLiteral("StatusBar"), QStringLiteral("PictureBox"),
                                           QStringLiteral("Image"), QStringLiteral("Timer"),
                                           // members without a name of their own give no line
                                           QStringLiteral("SSTab"), QStringLiteral("TabStrip"),
                                           QStringLiteral("ListView")};
        if (silent.contains(type))
            continue;
        if (type == QLatin1String("Toolbar")) {
            // A button is named by its key and has no tag; its index is its
            // position in the toolbar.
            forEachKeyedButton(c, [&](int i, const ui::VbToolButton& b) {
                line(b.Key() + b.Caption());
                line(b.Key() + QString::number(i) + b.ToolTipText());
            });
            continue;
        }
        if (type == QLatin1String("RichTextBox") || type == QLatin1String("TextBox") ||
            type == QLatin1String("ComboBox")) {
            textLine();
        } else if (type == QLatin1String("Frame") || type == QLatin1String("Label") || type == QLatin1String("Menu") ||
                   type == QLatin1String("CommandButton") || type == QLatin1String("CheckBox")) {
            captionLine();
        } else {
            textLine();
            captionLine();
        }
        indexLine();
    }
    QFile f(dumpHostPath);
    if (f.open(QIODevice::Append))
        f.write(dump);
}

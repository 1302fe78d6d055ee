// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>
#include <cstdio>
#include <vector>

#include "platform/FolderDialog.h"
#include "platform/Paths.h"
#include "vb/Cp1252.h"
#include "vb/ErrorHandling.h"

namespace platform {
namespace {

struct State {
    bool scripted = false;
    QVariantList script;
    QList<Dialogs::Shown> shown;
};

State& state() {
    static State s;
    return s;
}

// The next scripted answer, if any.
bool takeAnswer(QVariant* out) {
    State& s = state();
    if (s.script.isEmpty())
        return false;
    *out = s.script.takeFirst();
    return true;
}

void record(Dialogs::Kind kind, const QString& title, const QString& prompt, int style, const QString& defaultText,
            const QVariant& answer, const QString& rootFolder = {}, const QString& filter = {}) {
    if (!state().scripted)
        return;
    Dialogs::Shown r;
    r.kind = kind;
    r.title = title;
    r.prompt = prompt;
    r.style = style;
    r.defaultText = defaultText;
    r.answer = answer;
    r.rootFolder = rootFolder;
    r.filter = filter;
    state().shown.append(r);
}

QString oneLine(QString s) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Whether the desktop has a program for the file's type. Where the
// desktop's type table can be asked (xdg-mime), a file type without a
// program of its own or of a parent type has none; otherwise the desktop's
// opener is trusted.
bool DesktopOpensFile(const QString& hostPath) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(hostPath);
    QStringList names = QStringList{type.name()} + type.allAncestors();
    for (const QString& name : names) {
        QProcess query;
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), name});
        if (!query.waitForFinished(3000)) {
            query.kill();
            query.waitForFinished(1000);
            return true;
        }
        if (!query.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    return false;
}

void tell(const char* what, const QString& title, const QString& text, const QString& answer) {
    std::fprintf(stderr, "[%s] %s: %s -> %s\n", what, oneLine(title).toLocal8Bit().constData(),
                 oneLine(text).toLocal8Bit().constData(), answer.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString answerName(int answer) {
    switch (answer) {
    case vbOK: return QStringLiteral("OK");
    case vbCancel: return QStringLiteral("Cancel");
    case vbAbort: return QStringLiteral("Abort");
    case vbRetry: return QStringLiteral("Retry");
    case vbIgnore: return QStringLiteral("Ignore");
    case vbYes: return QStringLiteral("Yes");
    case vbNo: return QStringLiteral("No");
    default: return QString::number(answer);
    }
}

QWidget* owner() { return QApplication::activeWindow(); }

QString windowTitle(const QString& title) {
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

int showMessageBox(const QString& prompt, int style, const QString& title) {
    struct Button {
        QMessageBox::StandardButton qt;
        int vb;
    };
    std::vector<Button> buttons;
    switch (style & 15) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}}; break;
    }

    QMessageBox box(owner());
    box.setWindowTitle(windowTitle(title));
    box.setText(oneLine(prompt));
    switch (style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    QMessageBox::StandardButtons set;
    for (const Button& b : buttons)
        set |= b.qt;
    box.setStandardButtons(set);
    const size_t def = size_t((style >> 8) & 3);
    box.setDefaultButton(buttons[def < buttons.size() ? def : 0].qt);
    for (const Button& b : buttons)
        if (b.vb == vbCancel || buttons.size() == 1)
            box.setEscapeButton(b.qt);
    if (style & vbSystemModal) {
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Button& b : buttons)
        if (b.qt == clicked)
            return b.vb;
    return Dialogs::defaultAnswer(style);
}

bool looksLikeUrl(const QString& s) {
    static const QRegularExpression scheme(QStringLiteral("^(https?|ftp|file)://|^mailto:"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme.match(s).hasMatch();
}

// A box whose answer is a text: the scripted answer, or without a display
// "" (cancelled) after telling stderr, or what show() asks the user.
template <class Show>
QString askText(const char* what, const QString& title, const QString& prompt, Show show) {
    QVariant scripted;
    if (Dialogs::scripted() && takeAnswer(&scripted))
        return scripted.toString();
    if (Dialogs::scripted() || Dialogs::headless()) {
        if (!Dialogs::scripted())
            tell(what, title, prompt, QStringLiteral("Cancel"));
        return {};
    }
    return show();
}

}  // namespace

void Dialogs::scriptAnswers(const QVariantList& answers) {
    State& s = state();
    s.scripted = true;
    s.script = answers;
    s.shown.clear();
}

const QList<Dialogs::Shown>& Dialogs::shown() { return state().shown; }

void Dialogs::reset() { state() = State{}; }

bool Dialogs::scripted() { return state().scripted; }

bool Dialogs::headless() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

int Dialogs::defaultAnswer(int style) {
    switch (style & 15) {
    case vbOKOnly: return vbOK;
    case vbAbortRetryIgnore: return vbAbort;
    case vbYesNo: return vbNo;
    case vbOKCancel:
    case vbYesNoCancel:
    case vbRetryCancel: return vbCancel;
    default: return vbOK;
    }
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    int answer = 0;
    QVariant scripted;
    if (Dialogs::scripted() && takeAnswer(&scripted)) {
        answer = scripted.toInt();
    } else if (Dialogs::scripted() || Dialogs::headless()) {
        answer = Dialogs::defaultAnswer(style);
        if (!Dialogs::scripted())
            tell("message", windowTitle(title), prompt, answerName(answer));
    } else {
        answer = showMessageBox(prompt, style, title);
    }
    record(Dialogs::Kind::MessageBox, title, prompt, style, {}, answer);
    return answer;
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    const QString answer = askText("input", windowTitle(title), prompt, [&] {
        bool ok = false;
        const QString typed =
            QInputDialog::getText(owner(), windowTitle(title), oneLine(prompt), QLineEdit::Normal, defaultText, &ok);
        return ok ? typed : QString();
    });
    record(Dialogs::Kind::InputBox, title, prompt, 0, defaultText, answer);
    return answer;
}

QString BrowseFolder(const QString& prompt, const QString& startFolder, bool includeFiles, const QString& rootFolder) {
    const QString answer = askText("folder picker", QString(), prompt, [&] {
        const QString start = startFolder.isEmpty() ? QString() : platform::ToHost(startFolder);
        const QString root = rootFolder.isEmpty() ? QString() : platform::ToHost(rootFolder);
        FolderDialog dialog(owner(), prompt, start, root, includeFiles);
        if (dialog.exec() == QDialog::Accepted && !dialog.chosen().isEmpty())
            return platform::ToWindows(dialog.chosen());
        return QString();
    });
    record(Dialogs::Kind::FolderPicker, {}, prompt, includeFiles ? 1 : 0, startFolder, answer, rootFolder);
    return answer;
}

namespace {
// "Programs (*.exe)|*.exe|All Files (*.*)|*.*" as Qt's name filters. Programs
// here carry no extension, so "*.exe" lists every file, as "*.*" does.
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*") || p.compare(QLatin1String("*.exe"), Qt::CaseInsensitive) == 0)
                p = QStringLiteral("*");
        }
        QString name = parts[i];
        const int paren = name.indexOf(QLatin1Char('('));
        if (paren > 0)
            name = name.left(paren).trimmed();
        out << name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}
}  // namespace

QString OpenFileName(const QString& title, const QString& filter, const QString& startFolder, int filterIndex) {
    const QString answer = askText("open file", QString(), title, [&] {
        QFileDialog dialog(owner(), windowTitle(title));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::ExistingFile);
        const QStringList filters = QtFilters(filter);
        if (!filters.isEmpty())
            dialog.setNameFilters(filters);
        if (filterIndex >= 1 && filterIndex <= filters.size())
            dialog.selectNameFilter(filters[filterIndex - 1]);
        QString folder = startFolder;
        const qsizetype last = folder.lastIndexOf(QLatin1Char('\\'));
        if (last >= 0 && (folder.indexOf(QLatin1Char('*'), last) >= 0 || folder.indexOf(QLatin1Char('?'), last) >= 0))
            folder = folder.left(last);  // a start mask: its folder
        if (!folder.isEmpty())
            vb::Quiet([&] { dialog.setDirectory(platform::ToHost(folder)); });
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            return platform::ToWindows(dialog.selectedFiles().first());
        return QString();
    });
    record(Dialogs::Kind::OpenFile, title, title, filterIndex, startFolder, answer, {}, filter);
    return answer;
}

// A yes/no action nobody may see: the scripted answer (false when the script
// is used up), or false without a display, said on standard error. False when
// the action is to be done for real.
static bool answeredWithoutDisplay(const char* what, const QString& title, const QString& text,
                                   const QString& notDone, bool* answer) {
    QVariant scripted;
    if (Dialogs::scripted() && takeAnswer(&scripted)) {
        *answer = scripted.toBool();
        return true;
    }
    if (!Dialogs::scripted() && !Dialogs::headless())
        return false;
    if (!Dialogs::scripted())
        tell(what, title, text, notDone);
    *answer = false;
    return true;
}

bool ShowTextFile(const QString& title, const QString& windowsPath) {
    bool answer = false;
    if (!answeredWithoutDisplay("text", title, windowsPath, QStringLiteral("not shown (no display)"), &answer)) {
        QFile file(platform::ToHost(windowsPath));
        if (file.open(QIODevice::ReadOnly)) {
            auto* window = new QDialog(nullptr, Qt::Window);
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->setWindowTitle(title);
            auto* view = new QPlainTextEdit(window);
            view->setReadOnly(true);
            view->setLineWrapMode(QPlainTextEdit::NoWrap);
            view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            view->setPlainText(vb::DecodeText(file.readAll()));
            view->moveCursor(QTextCursor::End);  // the newest lines
            auto* close = new QDialogButtonBox(QDialogButtonBox::Close, window);
            QObject::connect(close, &QDialogButtonBox::rejected, window, &QDialog::close);
            auto* layout = new QVBoxLayout(window);
            layout->addWidget(view);
            layout->addWidget(close);
            window->resize(760, 420);
            window->show();
            answer = true;
        }
    }
    record(Dialogs::Kind::TextFile, title, windowsPath, 0, {}, answer);
    return answer;
}

bool ShellOpen(const QString& urlOrWindowsPath) {
    const QString what = urlOrWindowsPath.trimmed();
    bool answer = false;
    if (!answeredWithoutDisplay("open", QString(), what, QStringLiteral("not opened (no display)"), &answer) &&
        !what.isEmpty()) {
        QUrl url;
        if (looksLikeUrl(what))
            url = QUrl(what);
        else if (what.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
            url = QUrl(QStringLiteral("http://") + what);
        else
            url = QUrl::fromLocalFile(platform::ToHost(what));
        answer = url.isValid() && (!url.isLocalFile() || DesktopOpensFile(url.toLocalFile())) &&
                 QDesktopServices::openUrl(url);
    }
    record(Dialogs::Kind::ShellOpen, {}, what, 0, {}, answer);
    return answer;
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/UserFolders.h"
#include "vb/VbError.h"

namespace platform {

namespace {

QString QuotedArgument(const QString& arg) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = arg.isEmpty();
    for (QChar c : arg)
        if (reserved.contains(c))
            quote = true;
    QString out;
    for (QChar c : arg) {
        if (c == QLatin1Char('%')) {
            out += QStringLiteral("%%");
            continue;
        }
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                      c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += c;
    }
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

// A desktop-entry string value: backslash, line breaks and tabs escaped.
QString EntryString(const QString& value) {
    QString out;
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

QString AutostartEntryPath() { return ConfigHome() + QStringLiteral("/autostart/vaultora.desktop"); }

QString DesktopExecLine(const QStringList& command) {
    QStringList parts;
    for (const QString& arg : command)
        parts << QuotedArgument(arg);
    return EntryString(parts.join(QLatin1Char(' ')));
}

void CreateAutostartEntry(const QString& displayName, const QStringList& command) {
    const QString path = AutostartEntryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        vb::Raise(75);
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + EntryString(displayName) +
                         QStringLiteral("\nExec=") + DesktopExecLine(command) +
                         QStringLiteral("\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    file.write(text.toUtf8());
    if (!file.commit())
        vb::Raise(75);
}

void DeleteAutostartEntry() {
    QFile file(AutostartEntryPath());
    if (file.exists() && !file.remove())
        vb::Raise(75);
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/HostPath.h"

#if __has_include("platform/Paths.h") && __has_include("platform/Drives.h")
#include "platform/Drives.h"
#include "platform/Paths.h"
#define VAULTORA_HAVE_PATH_LAYER 1
#else
#include <QDir>
#endif

namespace ui {

#ifdef VAULTORA_HAVE_PATH_LAYER

QString HostPath(const QString& windowsPath) { return platform::ToHost(windowsPath); }
QString WindowsPath(const QString& hostPath) { return platform::ToWindows(hostPath); }
QStringList DriveList() {
    QStringList out;
    for (const QString& d : platform::DriveLetters()) {
        QString letter = d.left(1).toUpper();
        if (!letter.isEmpty())
            out << letter + QLatin1Char(':');
    }
    return out;
}

#else

// Until the path layer is part of the build: C: is the home folder, Z: is /.
QString HostPath(const QString& windowsPath) {
    QString p = windowsPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.size() >= 2 && p[1] == QLatin1Char(':')) {
        const QChar d = p[0].toUpper();
        QString rest = p.mid(2);
        if (d == QLatin1Char('C'))
            return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + rest);
        return QDir::cleanPath(QLatin1Char('/') + rest);
    }
    return QDir::cleanPath(p);
}

QString WindowsPath(const QString& hostPath) {
    const QString home = QDir::homePath();
    QString p = QDir::cleanPath(hostPath);
    QString out;
    if (p == home || p.startsWith(home + QLatin1Char('/')))
        out = QStringLiteral("C:") + p.mid(home.size());
    else
        out = QStringLiteral("Z:") + p;
    out.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (out.size() == 2)
        out += QLatin1Char('\\');
    return out;
}

QStringList DriveList() { return {QStringLiteral("C:"), QStringLiteral("Z:")}; }

#endif

}  // namespace ui

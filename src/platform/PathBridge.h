// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows <-> host path conversion for the store, dialog and process code.
// Uses the path layer (Paths.h) when it is part of the build; without it, a
// plain fallback: "C:\" is the home folder, other drive letters are "/", and
// "\" becomes "/".
#include <QString>

#if __has_include("platform/Paths.h")
#include "platform/Paths.h"
namespace platform::bridge {
inline QString toHost(const QString& windowsPath) { return platform::ToHost(windowsPath); }
inline QString toWindows(const QString& hostPath) { return platform::ToWindows(hostPath); }
}  // namespace platform::bridge
#else
#include <QDir>
namespace platform::bridge {
inline QString toHost(const QString& windowsPath) {
    QString p = windowsPath;
    if (p.size() >= 2 && p[1] == QLatin1Char(':') && p[0].isLetter()) {
        const QString rest = p.mid(2);
        p = (p[0].toUpper() == QLatin1Char('C') ? QDir::homePath() : QString()) + rest;
        if (p.isEmpty())
            p = QStringLiteral("/");
    }
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}
inline QString toWindows(const QString& hostPath) {
    const QString home = QDir::homePath();
    QString p = hostPath;
    if (p == home || p.startsWith(home + QLatin1Char('/')))
        p = QStringLiteral("C:") + p.mid(home.size());
    else if (p.startsWith(QLatin1Char('/')))
        p = QStringLiteral("Z:") + p;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (p.size() == 2 && p[1] == QLatin1Char(':'))
        p += QLatin1Char('\\');
    return p;
}
}  // namespace platform::bridge
#endif

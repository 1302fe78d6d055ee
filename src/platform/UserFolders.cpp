// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

QString ConfigHome() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        return QDir::homePath() + QStringLiteral("/.config");
    return config;
}

QString ProgramExecutable() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

}  // namespace platform

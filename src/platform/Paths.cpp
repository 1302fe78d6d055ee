// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "platform/PathResolver.h"

#include "vb/FileNumbers.h"

namespace platform {

QString ToHost(const QString& windowsPath) {
    const HostPath h = ResolveWindowsPath(windowsPath);
    return h.ok() ? h.path : QString();
}

QString ToHostBelow(const QString& windowsFolder, const QString& relative) {
    QString host = ToHost(windowsFolder);
    if (host.isEmpty())
        return {};
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    const QStringList parts = relative.split(separators);
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return {};
        if (!host.endsWith(QLatin1Char('/')))
            host += QLatin1Char('/');
        host += part;
    }
    return host;
}

QString ToWindows(const QString& hostPath) { return HostToWindows(hostPath); }

QString ProgramFolderHost() {
    const QString env = QString::fromLocal8Bit(qgetenv("VAULTORA_PROGRAM_DIR"));
    if (!env.isEmpty())
        return QDir::cleanPath(QFileInfo(env).absoluteFilePath());
    if (QCoreApplication::instance())
        return QDir::cleanPath(QCoreApplication::applicationDirPath());
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return QDir::cleanPath(QFileInfo(exe.symLinkTarget()).absolutePath());
}

QString ProgramFolder() { return ToWindows(ProgramFolderHost()); }

void InstallPathLayer() {
    vb::SetHostPathResolver([](const QString& windowsPath) { return ToHost(windowsPath); });
}

}  // namespace platform

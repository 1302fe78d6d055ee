// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/PathResolver.h"

#include "vb/FileNumbers.h"

namespace platform {

QString ToHost(const QString& windowsPath) {
    const HostPath h = ResolveWindowsPath(windowsPath);
    return h.ok() ? h.path : QString();
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

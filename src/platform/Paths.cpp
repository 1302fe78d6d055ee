// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/PathResolver.h"

#if __has_include("vb/FileNumbers.h")
#include "vb/FileNumbers.h"
#define VAULTORA_HAS_FILE_NUMBERS 1
#endif

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
#ifdef VAULTORA_HAS_FILE_NUMBERS
    vb::SetHostPathResolver([](const QString& windowsPath) { return ToHost(windowsPath); });
#endif
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipHostPath.h"

#if __has_include("platform/Paths.h")
#include "platform/Paths.h"

namespace platform {
QString ZipHostPath(const QString& windowsPath) { return ToHost(windowsPath); }
}  // namespace platform

#else
#include <QDir>

namespace platform {
QString ZipHostPath(const QString& windowsPath) {
    QString p = windowsPath;
    p.replace('\\', '/');
    if (p.startsWith('/'))
        return QDir::cleanPath(p);
    if (p.size() >= 2 && p[1] == ':') {
        const QChar letter = p[0].toUpper();
        const QString rest = p.mid(2);
        if (letter == 'C')
            return QDir::cleanPath(QDir::homePath() + "/" + rest);
        if (letter == 'Z')
            return QDir::cleanPath("/" + rest);
    }
    return {};
}
}  // namespace platform
#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/HostPath.h"

#include "platform/Drives.h"
#include "platform/Paths.h"

namespace ui {

QString HostPath(const QString& windowsPath) { return platform::ToHost(windowsPath); }

QString WindowsPath(const QString& hostPath) { return platform::ToWindows(hostPath); }

QStringList DriveList() {
    QStringList out;
    for (const QString& d : platform::DriveLetters()) {
        const QString letter = d.left(1).toUpper();
        if (!letter.isEmpty())
            out << letter + QLatin1Char(':');
    }
    return out;
}

QString DriveCaption(const QString& drive) {
    const QString meaning = drive.isEmpty() ? QString() : platform::DriveMeaning(drive[0]);
    return meaning.isEmpty() ? drive : drive + QStringLiteral(" (") + meaning + QLatin1Char(')');
}

}  // namespace ui

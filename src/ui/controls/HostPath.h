// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The controls that show files and folders work on Windows paths and reach
// the file system through the path layer.
namespace ui {

QString HostPath(const QString& windowsPath);
QString WindowsPath(const QString& hostPath);
// The drive letters with ":" ("C:", "Z:", ...), in order.
QStringList DriveList();
// A drive ("C:") with what it stands for: "C: (home)", "Z: (/)",
// "D: (/media/stick)".
QString DriveCaption(const QString& drive);

}  // namespace ui

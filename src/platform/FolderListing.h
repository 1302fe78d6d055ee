// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <vector>

// The plain files of a folder with their status, read in one pass: for
// comparing two large folders without looking each file up by its path.
namespace platform {

struct ListedFile {
    QString name;          // as it is on disk
    qint64 size = 0;
    qint64 mtimeSeconds = 0;   // modification time, whole seconds since 1970 (UTC)
    mode_t mode = 0;
    bool isLink = false;   // a symbolic link to a file (size, time and mode are the file's)
};

// The regular files of the host folder `folderHost` (symbolic links to files
// followed, dangling links and everything that is not a file left out), in
// the file system's order. A folder that cannot be read raises the VB error
// for it (76 path not found, 70 permission denied, ...). `others`, when
// given, receives the names of the entries that are neither files nor
// folders nor links (FIFOs, sockets, devices): nothing that can be copied.
std::vector<ListedFile> ListFolderFiles(const QString& folderHost, QStringList* others = nullptr);

// Only the names of those entries of a folder that cannot be copied (FIFOs,
// sockets, devices); empty when the folder cannot be read.
QStringList ListUncopyableEntries(const QString& folderHost);

}  // namespace platform

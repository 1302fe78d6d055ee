// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <memory>

#include "platform/HostFiles.h"

namespace platform {
class DriveTable;
}

// A folder of the source list whose listed files are looked at one by one:
// the folder is mapped to its host path once, and a name of its listing (the
// name on disk) is joined to that path, so each file costs one look at the
// disk instead of a mapping of its whole path and a look.
class SourceFolder {
public:
    // The folder whose files come next ("C:\Data\", with its "\").
    void enter(const QString& windowsFolder);
    void clear();

    // GetAttributes of `file` (a Windows path): -1 when it does not exist.
    // When it is a file of the folder, *host and *st (when given) receive
    // its host path and the status the look saw; else *host is left empty.
    qint32 attributes(const QString& file, QString* host = nullptr, platform::HostStat* st = nullptr) const;

private:
    QString windows_;   // "C:\Data\"
    QString host_;      // "" when it could not be mapped
    std::shared_ptr<const platform::DriveTable> table_;
};

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
    // The drive table the folder was mapped with: the current one whenever
    // `attributes` gave a host path.
    const std::shared_ptr<const platform::DriveTable>& table() const { return table_; }

private:
    QString windows_;   // "C:\Data\"
    QString host_;      // "" when it could not be mapped
    std::shared_ptr<const platform::DriveTable> table_;
};

// The look the walk took at the file it hands on next (to the copy or to
// the archive), kept so that handling the file takes no second look.
class LookedAtFile {
public:
    // `table`: the drive table that was current at the look, when known.
    void keep(const QString& file, const QString& host, const platform::HostStat& st,
              std::shared_ptr<const platform::DriveTable> table = nullptr);
    // What was kept for `file` (a Windows path), once: the next look is new.
    bool take(const QString& file, QString* host, platform::HostStat* st,
              std::shared_ptr<const platform::DriveTable>* table = nullptr);
    void clear() { file_.clear(); }

private:
    QString file_;  // "" when nothing is kept
    QString host_;
    platform::HostStat st_;
    std::shared_ptr<const platform::DriveTable> table_;
};

// The walk's one.
LookedAtFile& LookedAt();

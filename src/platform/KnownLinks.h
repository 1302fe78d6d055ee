// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QHash>
#include <QString>
#include <sys/types.h>

namespace platform {

// The rule for symbolic links on the way down to a folder that a restore
// writes into below the drive it restores to. A link that was in the tree
// before the restore began is the user's own (a documents folder kept on
// another disk, say) and is followed wherever it leads, as the backup
// followed it. A link that was not there then, whether the restored entries
// would plant it or anybody made it meanwhile, and a link that now leads to
// another folder than it did, are refused.
class KnownLinks {
public:
    // Notes the links on the way from `rootHost` down to `folderHost` (host
    // paths, the folder at or below the root) as they are now, as far as
    // the path exists.
    void note(const QString& rootHost, const QString& folderHost);

    // Opens `folderHost` below `rootHost` to write into it, making the
    // folders that are missing (the root too), through noted links only, each still leading
    // to the folder it led to when it was noted. Returns the open folder,
    // which the caller closes; -1 with errno set when a folder cannot be
    // opened or made, or -1 with `refused` telling why a link was refused.
    int openFolder(const QString& rootHost, const QString& folderHost, QString* refused) const;

private:
    struct Link {
        dev_t dev = 0;     // the link itself
        ino_t ino = 0;
        dev_t toDev = 0;   // the folder it led to
        ino_t toIno = 0;
    };
    QHash<QString, Link> links_;   // by the host path of the link
};

}  // namespace platform

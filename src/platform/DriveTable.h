// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QChar>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/MountTable.h"

// The drive letters and network shares that Windows paths are mapped onto:
//   C:  the user's home folder
//   Z:  the host's root "/"
//   D: to Y:  mounted removable, optical and network file systems, in the
//        order of their mount points, on the letters that no override takes
//   overrides: any letter set to a host folder (kept in memory).
// "\\server\share" names the mount of a network file system whose source is
// //server/share (SMB) or server:/share (NFS).
namespace platform {

struct DriveRoot {
    QChar letter;              // upper case
    QString hostRoot;          // clean absolute host path
    const MountEntry* mount;   // the mount that gave the letter, or null
    bool overridden = false;
};

struct NetworkShare {
    QStringList uncParts;      // {"server", "share", "sub", ...}
    QString hostRoot;          // the mount point
    const MountEntry* mount;
};

class DriveTable {
public:
    // The current table; rebuilt when the mount table, the overrides or
    // $HOME changed.
    static std::shared_ptr<const DriveTable> Current();

    const DriveRoot* drive(QChar letter) const;   // null when unassigned
    const std::vector<DriveRoot>& drives() const { return drives_; }   // by letter
    const std::vector<NetworkShare>& shares() const { return shares_; }
    const MountSnapshot& mounts() const { return *mounts_; }

    // The share whose UNC parts are the longest prefix of `parts` (compared
    // without regard to case); `used` is set to the number of parts it takes.
    const NetworkShare* shareFor(const QStringList& parts, int* used) const;

    // A network mount's source as UNC parts ({"server", "share", ...}),
    // empty for other mounts.
    static QStringList UncPartsOf(const MountEntry& e);

    // File system kinds, by the mount's type.
    static bool IsNetworkType(const QString& fsType);
    static bool IsOpticalType(const QString& fsType);
    static bool IsRemovableType(const QString& fsType);

private:
    std::shared_ptr<const MountSnapshot> mounts_;
    std::vector<DriveRoot> drives_;
    std::vector<NetworkShare> shares_;
    quint64 mountGeneration_ = 0;
    quint64 overrideGeneration_ = 0;
    QString home_;

    friend std::shared_ptr<const DriveTable> BuildDriveTable(std::shared_ptr<const MountSnapshot>,
                                                             quint64, const QString&);
};

// The overrides (see Drives.h for the public setter).
void SetDriveOverrideEntry(QChar letter, const QString& hostPath);
void ClearDriveOverrideEntries();

// The host home folder used for C:.
QString HomeFolderHost();

}  // namespace platform

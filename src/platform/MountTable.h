// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// The host's mount table, read from /proc/self/mountinfo and cached. The
// cache is re-read when the kernel reports a change of the table (poll on
// the open file), so asking for it on every path conversion is cheap.
namespace platform {

struct MountEntry {
    QString mountPoint;   // host path, unescaped
    QString root;         // root of the mount within its file system
    QString fsType;       // "ext4", "vfat", "cifs", "fuse.sshfs", ...
    QString source;       // "/dev/sdb1", "//server/share", "server:/export"
    QString superOptions;
    unsigned major = 0;
    unsigned minor = 0;
};

struct MountSnapshot {
    std::vector<MountEntry> entries;   // in the order of the table (later ones on top)
    quint64 generation = 0;            // grows with every re-read that changed the table

    // The entry that holds `hostPath` (an absolute, clean host path): the
    // longest mount point that is a prefix of it on a component boundary;
    // of equal mount points the last one (the one on top). Null when none.
    const MountEntry* holding(const QString& hostPath) const;
};

// Parses the text of a mountinfo file.
std::vector<MountEntry> ParseMountInfo(const QByteArray& text);

// The current table (never null).
std::shared_ptr<const MountSnapshot> CurrentMounts();

// Tests: read the table from this file instead of /proc/self/mountinfo (its
// size and modification time are watched); an empty path restores the real one.
void SetMountInfoPathForTest(const QString& path);

// True when `path` equals `root` or lies below it (both clean, absolute).
bool IsSameOrBelow(const QString& path, const QString& root);

}  // namespace platform

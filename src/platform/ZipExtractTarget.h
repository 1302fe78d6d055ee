// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>

namespace platform {

// The file an entry is extracted into before it takes the target's place.
// Where the file system allows it the file has no name until it is complete
// (O_TMPFILE), so a restore that is killed half-way leaves nothing in the
// user's folder; elsewhere it is a hidden ".vaultora-extract-XXXXXX" beside
// the target, and the leftovers of that pattern from a killed restore are
// removed from a folder the first time this process restores into it.
class ExtractTarget {
public:
    explicit ExtractTarget(QByteArray hostFolder);   // host bytes of the folder
    ~ExtractTarget();                                // removes an uncommitted file
    ExtractTarget(const ExtractTarget&) = delete;
    ExtractTarget& operator=(const ExtractTarget&) = delete;

    bool open();                                     // false with error() set
    int fd() const { return fd_; }
    int error() const { return error_; }
    // Gives the written file the target's name (host bytes), replacing a
    // file of that name; false with error() set.
    bool commit(const QByteArray& hostTarget);

private:
    bool linkNamed(QByteArray* name);

    QByteArray folder_;
    QByteArray named_;   // the hidden name while the file has one
    int fd_ = -1;
    int error_ = 0;
    bool unnamed_ = false;
};

}  // namespace platform

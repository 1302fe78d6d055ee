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
// Everything is done in a folder already open, never by its path again.
class ExtractTarget {
public:
    explicit ExtractTarget(int folder);   // the open folder; stays the caller's
    ~ExtractTarget();                     // removes an uncommitted file
    ExtractTarget(const ExtractTarget&) = delete;
    ExtractTarget& operator=(const ExtractTarget&) = delete;

    bool open();                          // false with error() set
    int fd() const { return fd_; }
    int error() const { return error_; }
    // Gives the written file the target's name in the folder (host bytes),
    // replacing a file of that name; false with error() set.
    bool commit(const QByteArray& name);

private:
    // A free hidden name in the folder for `make`, which makes it (false
    // with errno set: EEXIST tries another name).
    template <typename Make>
    bool hiddenName(QByteArray* name, Make make);
    bool linkNamed(QByteArray* name);

    int folder_ = -1;
    QByteArray named_;   // the hidden name while the file has one
    int fd_ = -1;
    int error_ = 0;
    bool unnamed_ = false;
};

}  // namespace platform

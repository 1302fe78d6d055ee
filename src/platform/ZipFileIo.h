// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>

#include <minizip/ioapi.h>

namespace platform {

class ZipDirectorySpill;

// The file functions minizip reads and writes archives through: POSIX file
// descriptors behind one write-back buffer per open file, so that the many
// small header writes and the seek back to patch a local header cost no
// system call of their own. The first errno of any call is kept, so that a
// failed minizip call can be reported with the system's reason.
class ZipFileIo {
public:
    ZipFileIo();
    ~ZipFileIo();
    ZipFileIo(const ZipFileIo&) = delete;
    ZipFileIo& operator=(const ZipFileIo&) = delete;

    // The function table to hand to zipOpen2_64 / unzOpen2_64; the file name
    // passed with it is the host path encoded with platform::HostBytes.
    zlib_filefunc64_def* functions() { return &functions_; }

    int lastErrno() const { return lastErrno_; }
    void clearError() { lastErrno_ = 0; }
    void noteErrno(int e) {
        if (lastErrno_ == 0)
            lastErrno_ = e;
    }

    // When set, a file opened for writing is cut to its position when it is
    // closed (minizip ends an archive with the end record, so a shorter new
    // end must not leave old bytes behind it).
    void setTruncateOnClose(bool on) { truncateOnClose_ = on; }
    bool truncateOnClose() const { return truncateOnClose_; }

    // When set, a file opened for writing is synced to disk before it is closed.
    void setSyncOnClose(bool on) { syncOnClose_ = on; }
    bool syncOnClose() const { return syncOnClose_; }

    // Discard everything not yet written and refuse further writes on every
    // file of this table (used after a write failure, so that a half-finished
    // archive is not made worse by minizip's clean-up writes).
    void freeze() { frozen_ = true; }
    bool frozen() const { return frozen_; }

    // The file open for writing through this table (what minizip was
    // handed for it), or null when there is none or more than one.
    const void* writingStream() const { return writers_ == 1 ? writing_ : nullptr; }
    // Writes bytes at that file's position, as minizip's own write would,
    // but a large block goes to the file without passing through the
    // buffer (the buffered bytes before it go with it in the same call).
    bool writeThrough(const void* data, size_t n);

    // The file that takes minizip's directory records of the archive
    // written through this table while it grows (see ZipDirectorySpill),
    // made in the host folder `folder` at the first call; null when the
    // records cannot be moved. The stand-in block is written as the file's
    // bytes.
    ZipDirectorySpill* directorySpill(const QByteArray& folder);

private:
    std::unique_ptr<ZipDirectorySpill> spill_;
    bool spillTried_ = false;
    zlib_filefunc64_def functions_{};
    int lastErrno_ = 0;
    bool truncateOnClose_ = false;
    bool syncOnClose_ = false;
    bool frozen_ = false;
    void* writing_ = nullptr;
    int writers_ = 0;
    friend struct ZipFileIoAccess;
};

}  // namespace platform

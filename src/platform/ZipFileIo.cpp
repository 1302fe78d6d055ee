// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipFileIo.h"

#include "platform/ZipEntryBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr size_t kBufferSize = size_t(1) << 20;
// Blocks at least this large written through are not copied into the buffer.
constexpr size_t kThroughMin = size_t(32) << 10;

struct OpenFile {
    ZipFileIo* io = nullptr;
    int fd = -1;
    bool writable = false;
    uint64_t pos = 0;        // logical position
    uint64_t diskSize = 0;   // size of the file on disk
    std::unique_ptr<char[]> buf;   // bytes [bufStart, bufStart + bufLen) of the file
    uint64_t bufStart = 0;
    size_t bufLen = 0;
    bool dirty = false;
    bool failed = false;

    uint64_t size() const { return std::max(diskSize, bufStart + bufLen); }

    // The buffer is made when first used, and not cleared: only the bytes
    // read or written into it are ever taken from it.
    void ensureBuffer() {
        if (!buf)
            buf = std::make_unique_for_overwrite<char[]>(kBufferSize);
    }

    void fail(int e) {
        failed = true;
        io->noteErrno(e);
    }

    bool flush() {
        if (!dirty)
            return true;
        dirty = false;
        if (io->frozen())
            return false;
        struct iovec whole = {buf.get(), bufLen};
        if (!writeAllAt(&whole, 1, bufStart))
            return false;
        diskSize = std::max(diskSize, bufStart + bufLen);
        return true;
    }

    // All bytes of the `count` blocks, one after the other from `at`.
    bool writeAllAt(struct iovec* iov, int count, uint64_t at) {
        int first = 0;
        while (first < count) {
            const ssize_t w = ::pwritev(fd, iov + first, count - first, off_t(at));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno);
                return false;
            }
            if (w == 0) {
                fail(ENOSPC);
                return false;
            }
            at += uint64_t(w);
            for (size_t left = size_t(w); left > 0 && first < count;) {
                const size_t take = std::min(left, iov[first].iov_len);
                iov[first].iov_base = static_cast<char*>(iov[first].iov_base) + take;
                iov[first].iov_len -= take;
                left -= take;
                if (iov[first].iov_len == 0)
                    ++first;
            }
        }
        return true;
    }

    // Read straight from the disk, bypassing the buffer.
    size_t readDisk(char* out, size_t n, uint64_t at) {
        size_t done = 0;
        while (done < n) {
            const ssize_t got = ::pread(fd, out + done, n - done, off_t(at + done));
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno);
                break;
            }
            if (got == 0)
                break;
            done += size_t(got);
        }
        return done;
    }

    size_t read(char* out, size_t n) {
        size_t done = 0;
        while (done < n) {
            if (pos >= bufStart && pos < bufStart + bufLen) {
                const size_t off = size_t(pos - bufStart);
                const size_t take = std::min(n - done, bufLen - off);
                std::memcpy(out + done, buf.get() + off, take);
                done += take;
                pos += take;
                continue;
            }
            if (!flush())
                break;
            if (n - done >= kBufferSize) {
                const size_t got = readDisk(out + done, n - done, pos);
                done += got;
                pos += got;
                break;
            }
            ensureBuffer();
            bufStart = pos;
            bufLen = readDisk(buf.get(), kBufferSize, pos);
            if (bufLen == 0)
                break;
        }
        return done;
    }

    size_t write(const char* in, size_t n) {
        if (!writable || io->frozen()) {
            fail(EBADF);
            return 0;
        }
        // The block joins the buffer when it starts inside or right after the
        // buffered bytes and still fits; otherwise the buffer is written out
        // and starts afresh at the position.
        const bool joins = bufLen > 0 && pos >= bufStart && pos <= bufStart + bufLen &&
                           pos + n <= bufStart + kBufferSize;
        if (!joins) {
            if (!flush())
                return 0;
            bufStart = pos;
            bufLen = 0;
        }
        if (bufLen == 0 && n >= kBufferSize) {
            size_t done = 0;
            while (done < n) {
                const ssize_t w = ::pwrite(fd, in + done, n - done, off_t(pos + done));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    fail(errno);
                    return 0;
                }
                if (w == 0) {
                    fail(ENOSPC);
                    return 0;
                }
                done += size_t(w);
            }
            pos += n;
            diskSize = std::max(diskSize, pos);
            bufStart = pos;
            return n;
        }
        ensureBuffer();
        const size_t off = size_t(pos - bufStart);
        std::memcpy(buf.get() + off, in, n);
        bufLen = std::max(bufLen, off + n);
        dirty = true;
        pos += n;
        return n;
    }

    // A block written at the position without being copied into the buffer;
    // dirty buffered bytes that end where it starts are written with it.
    bool writeThrough(const char* in, size_t n) {
        if (!writable || io->frozen()) {
            fail(EBADF);
            return false;
        }
        if (n < kThroughMin)
            return write(in, n) == n;
        struct iovec iov[2];
        int count = 0;
        uint64_t at = pos;
        if (dirty && bufLen > 0 && pos == bufStart + bufLen) {
            iov[count++] = {buf.get(), bufLen};
            at = bufStart;
        } else if (!flush()) {
            return false;
        }
        iov[count++] = {const_cast<char*>(in), n};
        dirty = false;
        bufLen = 0;
        if (!writeAllAt(iov, count, at))
            return false;
        pos += n;
        diskSize = std::max(diskSize, pos);
        bufStart = pos;
        return true;
    }
};

}  // namespace

struct ZipFileIoAccess {
    static void opened(ZipFileIo* io, void* f) {
        io->writing_ = f;
        ++io->writers_;
    }
    static const ZipDirectorySpill* spill(const ZipFileIo* io) { return io->spill_.get(); }
    static void closed(ZipFileIo* io, void* f) {
        if (io->writing_ == f)
            io->writing_ = nullptr;
        --io->writers_;
    }
};

namespace {

voidpf ZCALLBACK openFile(voidpf opaque, const void* filename, int mode) {
    auto* io = static_cast<ZipFileIo*>(opaque);
    if (!filename)
        return nullptr;
    int flags = O_CLOEXEC;
    bool writable = false;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ) {
        flags |= O_RDONLY;
    } else if (mode & ZLIB_FILEFUNC_MODE_EXISTING) {
        flags |= O_RDWR;
        writable = true;
    } else if (mode & ZLIB_FILEFUNC_MODE_CREATE) {
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        writable = true;
    } else {
        io->noteErrno(EINVAL);
        return nullptr;
    }
    // An archive is written only where it is: never through a link. A new
    // archive holds the user's files (in an encrypted run, in the clear), so
    // it is made for its owner alone; a link in its place is removed.
    if (writable)
        flags |= O_NOFOLLOW;
    const char* name = static_cast<const char*>(filename);
    int fd = ::open(name, flags, 0600);
    if (fd < 0 && errno == ELOOP && (flags & O_CREAT) && ::unlink(name) == 0)
        fd = ::open(name, flags | O_EXCL, 0600);
    if (fd < 0) {
        io->noteErrno(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        io->noteErrno(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        ::close(fd);
        return nullptr;
    }
    auto* f = new OpenFile;
    f->io = io;
    f->fd = fd;
    f->writable = writable;
    f->diskSize = uint64_t(st.st_size);
    if (!writable)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    else
        ZipFileIoAccess::opened(io, f);
    return f;
}

uLong ZCALLBACK readFile(voidpf, voidpf stream, void* buf, uLong size) {
    return uLong(static_cast<OpenFile*>(stream)->read(static_cast<char*>(buf), size_t(size)));
}

uLong ZCALLBACK writeFile(voidpf, voidpf stream, const void* buf, uLong size) {
    auto* f = static_cast<OpenFile*>(stream);
    if (const ZipDirectorySpill* spill = ZipFileIoAccess::spill(f->io); spill && spill->standsIn(buf)) {
        const bool ok = spill->writeOut(
            [](void* to, const char* bytes, size_t n) { return static_cast<OpenFile*>(to)->write(bytes, n) == n; }, f);
        return ok ? size : 0;
    }
    return uLong(f->write(static_cast<const char*>(buf), size_t(size)));
}

ZPOS64_T ZCALLBACK tellFile(voidpf, voidpf stream) { return static_cast<OpenFile*>(stream)->pos; }

long ZCALLBACK seekFile(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* f = static_cast<OpenFile*>(stream);
    uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = f->pos; break;
    case ZLIB_FILEFUNC_SEEK_END: base = f->size(); break;
    default: return -1;
    }
    const uint64_t target = base + offset;  // wraps for "negative" offsets, as minizip passes them
    if (target > (uint64_t(1) << 62)) {
        f->io->noteErrno(EINVAL);
        return -1;
    }
    f->pos = target;
    return 0;
}

int ZCALLBACK closeFile(voidpf, voidpf stream) {
    std::unique_ptr<OpenFile> f(static_cast<OpenFile*>(stream));
    if (f->writable)
        ZipFileIoAccess::closed(f->io, f.get());
    bool ok = !f->failed;
    if (f->writable && !f->io->frozen()) {
        ok = f->flush() && ok;
        if (ok && f->io->truncateOnClose() && f->pos < f->size()) {
            if (::ftruncate(f->fd, off_t(f->pos)) != 0) {
                f->fail(errno);
                ok = false;
            }
        }
        if (ok && f->io->syncOnClose() && ::fsync(f->fd) != 0) {
            f->fail(errno);
            ok = false;
        }
    }
    if (::close(f->fd) != 0 && f->writable) {
        f->fail(errno);
        ok = false;
    }
    return ok ? 0 : -1;
}

int ZCALLBACK errorFile(voidpf, voidpf stream) { return static_cast<OpenFile*>(stream)->failed ? 1 : 0; }

}  // namespace

ZipFileIo::ZipFileIo() {
    functions_.zopen64_file = openFile;
    functions_.zread_file = readFile;
    functions_.zwrite_file = writeFile;
    functions_.ztell64_file = tellFile;
    functions_.zseek64_file = seekFile;
    functions_.zclose_file = closeFile;
    functions_.zerror_file = errorFile;
    functions_.opaque = this;
}

ZipFileIo::~ZipFileIo() = default;

ZipDirectorySpill* ZipFileIo::directorySpill(const QByteArray& folder) {
    if (!spillTried_) {
        spillTried_ = true;
        if (ZipDirectorySpill::Available()) {
            auto spill = std::make_unique<ZipDirectorySpill>();
            if (spill->open(folder))
                spill_ = std::move(spill);
        }
    }
    return spill_.get();
}

bool ZipFileIo::writeThrough(const void* data, size_t n) {
    auto* f = static_cast<OpenFile*>(writers_ == 1 ? writing_ : nullptr);
    if (!f) {
        noteErrno(EBADF);
        return false;
    }
    return f->writeThrough(static_cast<const char*>(data), n);
}

}  // namespace platform

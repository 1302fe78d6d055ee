// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipEntryBytes.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

#include <zlib.h>

namespace platform {
namespace {

// Places in minizip 1.1's state of an open archive (zip64_internal, built
// with encryption, without bzip2, on a 64-bit platform): the file functions'
// opaque pointer and the archive's stream, whether an entry is open, and of
// the entry (curfile64_info) the bytes buffered, the method, the raw flag,
// the encryption flag and the count of its data bytes written.
constexpr size_t kOpaque = 0x38;
constexpr size_t kFileStream = 0x58;
constexpr size_t kInOpenedFile = 0x70;
constexpr size_t kPosInBuffer = 0xec;
constexpr size_t kMethod = 0x120;
constexpr size_t kRaw = 0x124;
constexpr size_t kEncrypt = 0x10138;
constexpr size_t kTotalCompressed = 0x10148;
constexpr unsigned kMinizipBuffer = 0x10000;  // its buffer: a write of more is flushed once
// The chain of blocks of the central directory (central_dir: its first and
// its last block), and one block (linkedlist_datablock_internal).
constexpr size_t kDirectoryFirst = 0x60;
constexpr size_t kDirectoryLast = 0x68;
constexpr size_t kBlockData = 4096 - 4 * 4;
struct DirectoryBlock {
    DirectoryBlock* next;
    uLong avail;
    uLong filled;
    uLong unused;
    unsigned char data[kBlockData];
};

template <typename T>
T field(zipFile z, size_t at) {
    T v;
    std::memcpy(&v, static_cast<const char*>(z) + at, sizeof v);
    return v;
}
template <typename T>
void setField(zipFile z, size_t at, T v) {
    std::memcpy(static_cast<char*>(z) + at, &v, sizeof v);
}

bool entryOpenRaw(zipFile z, const void* opaque, const void* stream) {
    if (sizeof(void*) != 8 || !z || !stream)
        return false;
    if (opaque && field<const void*>(z, kOpaque) != opaque)
        return false;
    const int method = field<int>(z, kMethod);
    return field<const void*>(z, kFileStream) == stream && field<int>(z, kInOpenedFile) == 1 &&
           field<int>(z, kRaw) == 1 && (method == 0 || method == Z_DEFLATED) && field<unsigned>(z, kPosInBuffer) == 0 &&
           field<int>(z, kEncrypt) == 0 && field<quint64>(z, kTotalCompressed) == 0;
}

// The trial archive's file: bytes in memory.
struct MemoryFile {
    std::vector<unsigned char> bytes;
    uint64_t pos = 0;
    bool open = false;
    const ZipDirectorySpill* spill = nullptr;
};

voidpf ZCALLBACK memOpen(voidpf opaque, const void*, int) {
    auto* f = static_cast<MemoryFile*>(opaque);
    f->open = true;
    f->pos = 0;
    return f;
}
uLong ZCALLBACK memRead(voidpf, voidpf stream, void* buf, uLong size) {
    auto* f = static_cast<MemoryFile*>(stream);
    const uint64_t n = f->pos >= f->bytes.size() ? 0 : std::min<uint64_t>(size, f->bytes.size() - f->pos);
    std::memcpy(buf, f->bytes.data() + f->pos, size_t(n));
    f->pos += n;
    return uLong(n);
}
void memPut(MemoryFile* f, const void* buf, size_t size) {
    if (f->bytes.size() < f->pos + size)
        f->bytes.resize(size_t(f->pos + size));
    std::memcpy(f->bytes.data() + f->pos, buf, size);
    f->pos += size;
}
uLong ZCALLBACK memWrite(voidpf, voidpf stream, const void* buf, uLong size) {
    auto* f = static_cast<MemoryFile*>(stream);
    if (f->spill && f->spill->standsIn(buf)) {
        const bool ok = f->spill->writeOut(
            [](void* to, const char* bytes, size_t n) {
                memPut(static_cast<MemoryFile*>(to), bytes, n);
                return true;
            },
            f);
        return ok ? size : 0;
    }
    memPut(f, buf, size_t(size));
    return size;
}
ZPOS64_T ZCALLBACK memTell(voidpf, voidpf stream) { return static_cast<MemoryFile*>(stream)->pos; }
long ZCALLBACK memSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* f = static_cast<MemoryFile*>(stream);
    const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                          : origin == ZLIB_FILEFUNC_SEEK_CUR ? f->pos
                                                             : f->bytes.size();
    f->pos = base + offset;
    return f->pos > f->bytes.size() ? -1 : 0;
}
int ZCALLBACK memClose(voidpf, voidpf stream) {
    static_cast<MemoryFile*>(stream)->open = false;
    return 0;
}
int ZCALLBACK memError(voidpf, voidpf) { return 0; }

// Writes the trial archive: entries of several sizes, one with ZIP64
// headers, one deflated, their data given to minizip (`past` false) or
// written past it wherever that is allowed, then small entries enough for
// several blocks of directory records, moved out after every entry when
// `past` and `spilled` is open. Empty when minizip or the state's places
// failed.
std::vector<unsigned char> trialArchive(bool past, ZipDirectorySpill* spilled = nullptr) {
    MemoryFile file;
    file.bytes.reserve(size_t(1) << 18);
    file.spill = spilled;
    zlib_filefunc64_def functions{};
    functions.zopen64_file = memOpen;
    functions.zread_file = memRead;
    functions.zwrite_file = memWrite;
    functions.ztell64_file = memTell;
    functions.zseek64_file = memSeek;
    functions.zclose_file = memClose;
    functions.zerror_file = memError;
    functions.opaque = &file;
    zipFile z = zipOpen2_64("trial", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!z)
        return {};
    std::vector<unsigned char> data(kMinizipBuffer + 4500);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>((i * 131) ^ (i >> 7));
    struct Entry {
        const char* name;
        size_t size;
        int method;
        int zip64;
    };
    const Entry entries[] = {{"first", data.size(), 0, 0},  // given to minizip: its count is checked
                             {"second", data.size(), 0, 0},
                             {"zip64", 5, 0, 1},
                             {"deflated", 777, Z_DEFLATED, 0},
                             {"empty", 0, 0, 0}};
    bool ok = true;
    for (size_t e = 0; e < sizeof entries / sizeof entries[0] && ok; ++e) {
        const Entry& en = entries[e];
        zip_fileinfo zfi{};
        zfi.dosDate = 0x5A8B6C2D;
        zfi.external_fa = 0x81A40000u;
        ok = zipOpenNewFileInZip4_64(z, en.name, &zfi, "x", 1, "yz", 2, nullptr, en.method, en.method ? 6 : 0, 1,
                                     -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, (3 << 8) | 30, 0x0800,
                                     en.zip64) == ZIP_OK;
        if (!ok)
            break;
        const bool open = entryOpenRaw(z, &file, &file);
        if (past && !open) {
            ok = false;
        } else if (e == 0) {
            // One byte more than minizip buffers: it writes its buffer out
            // once and counts it.
            ok = zipWriteInFileInZip(z, data.data(), kMinizipBuffer + 1) == ZIP_OK &&
                 (!past || (field<quint64>(z, kTotalCompressed) == kMinizipBuffer &&
                            field<unsigned>(z, kPosInBuffer) == 1)) &&
                 zipWriteInFileInZip(z, data.data() + kMinizipBuffer + 1, unsigned(en.size - kMinizipBuffer - 1)) ==
                     ZIP_OK;
        } else if (past) {
            memPut(&file, data.data(), en.size / 2);
            ZipEntryBytes::Count(z, en.size / 2);
            memPut(&file, data.data() + en.size / 2, en.size - en.size / 2);
            ZipEntryBytes::Count(z, en.size - en.size / 2);
        } else {
            ok = en.size == 0 || zipWriteInFileInZip(z, data.data(), unsigned(en.size)) == ZIP_OK;
        }
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), data.data(), uInt(en.size));
        ok = zipCloseFileInZipRaw64(z, en.size * 3, crc) == ZIP_OK && ok;
        if (past && spilled)
            spilled->move(z);
    }
    for (int e = 0; e < 120 && ok; ++e) {
        zip_fileinfo zfi{};
        zfi.dosDate = 0x5A8B6C2Du + unsigned(e);
        const QByteArray name = "a folder of the trial/and an entry in it " + QByteArray::number(e);
        ok = zipOpenNewFileInZip4_64(z, name.constData(), &zfi, nullptr, 0, "abcde", 5, nullptr, 0, 0, 1, -MAX_WBITS,
                                     8, Z_DEFAULT_STRATEGY, nullptr, 0, (3 << 8) | 30, 0x0800, e % 7 == 0) == ZIP_OK &&
             zipCloseFileInZipRaw64(z, 0, 0) == ZIP_OK;
        if (past && spilled)
            spilled->move(z);
    }
    ok = zipClose(z, "trial") == ZIP_OK && ok;
    if (spilled)
        spilled->closed();
    if (!ok)
        return {};
    return std::move(file.bytes);
}

std::atomic<bool> allowed{true};

}  // namespace

// Whether the trial came out the same both ways, and whether its directory
// was moved out on the way.
struct Trial {
    bool same = false;
    bool spilled = false;
};
static const Trial& TrialResult() {
    static const Trial trial = [] {
        Trial t;
        ZipDirectorySpill spill;
        const bool canSpill = spill.open({});
        const std::vector<unsigned char> plain = trialArchive(false);
        const std::vector<unsigned char> past = trialArchive(true, canSpill ? &spill : nullptr);
        t.same = !plain.empty() && plain == past;
        t.spilled = t.same && canSpill && spill.moved();
        return t;
    }();
    return trial;
}

bool ZipEntryBytes::Available() { return TrialResult().same && allowed.load(std::memory_order_relaxed); }

void ZipEntryBytes::SetAllowed(bool on) { allowed = on; }

bool ZipEntryBytes::CanWritePast(zipFile z, const void* stream) {
    return Available() && entryOpenRaw(z, nullptr, stream);
}

void ZipEntryBytes::Count(zipFile z, quint64 bytes) {
    char* const at = static_cast<char*>(z) + kTotalCompressed;
    quint64 total;
    std::memcpy(&total, at, sizeof total);
    total += bytes;
    std::memcpy(at, &total, sizeof total);
}

ZipDirectorySpill::~ZipDirectorySpill() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ZipDirectorySpill::Available() { return TrialResult().spilled && allowed.load(std::memory_order_relaxed); }

bool ZipDirectorySpill::open(const QByteArray& folder) {
    if (fd_ >= 0)
        return true;
    if (sizeof(void*) != 8)
        return false;
    if (folder.isEmpty()) {
        fd_ = ::memfd_create("zip-directory", MFD_CLOEXEC);
    } else {
        fd_ = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            QByteArray pattern = folder + "/.zip-directory-XXXXXX";
            fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
            if (fd_ >= 0)
                ::unlink(pattern.constData());
        }
    }
    return fd_ >= 0;
}

void ZipDirectorySpill::move(zipFile z) {
    if (fd_ < 0 || failed_ || !z)
        return;
    auto* first = field<DirectoryBlock*>(z, kDirectoryFirst);
    auto* last = field<DirectoryBlock*>(z, kDirectoryLast);
    if (!first || !last || first == last || last->next)
        return;
    auto* standIn = static_cast<DirectoryBlock*>(standIn_);
    if (standIn && first != standIn) {
        failed_ = true;   // not the chain left here: leave it alone
        return;
    }
    DirectoryBlock* from = standIn ? standIn->next : first;
    std::vector<struct iovec> pieces;
    quint64 bytes = 0;
    for (DirectoryBlock* b = from; b != last; b = b->next) {
        if (!b || b->avail + b->filled != kBlockData) {
            failed_ = true;
            return;
        }
        pieces.push_back({b->data, size_t(b->filled)});
        bytes += b->filled;
    }
    if (pieces.empty())
        return;
    quint64 at = size_;
    for (size_t i = 0; i < pieces.size();) {
        const int count = int(std::min<size_t>(pieces.size() - i, IOV_MAX));
        const ssize_t w = ::pwritev(fd_, pieces.data() + i, count, off_t(at));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            failed_ = true;
            return;
        }
        at += quint64(w);
        size_t left = size_t(w);
        while (left > 0 && i < pieces.size()) {
            if (left >= pieces[i].iov_len) {
                left -= pieces[i].iov_len;
                ++i;
            } else {
                pieces[i].iov_base = static_cast<char*>(pieces[i].iov_base) + left;
                pieces[i].iov_len -= left;
                left = 0;
            }
        }
    }
    if (!standIn) {
        // minizip frees every block of its chain at the close with free().
        standIn = static_cast<DirectoryBlock*>(std::calloc(1, sizeof(DirectoryBlock)));
        if (!standIn) {
            failed_ = true;
            return;
        }
    }
    for (DirectoryBlock* b = from; b != last;) {
        DirectoryBlock* next = b->next;
        std::free(b);
        b = next;
    }
    size_ += bytes;
    standIn->next = last;
    standIn->avail = 0;
    standIn->filled = uLong(size_);
    standIn_ = standIn;
    setField(z, kDirectoryFirst, standIn);
}

bool ZipDirectorySpill::standsIn(const void* data) const {
    return standIn_ && data == static_cast<const DirectoryBlock*>(standIn_)->data;
}

bool ZipDirectorySpill::writeOut(bool (*put)(void* to, const char* bytes, size_t n), void* to) const {
    constexpr size_t kPiece = size_t(256) << 10;
    const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
    for (quint64 at = 0; at < size_;) {
        const ssize_t got = ::pread(fd_, piece.get(), size_t(std::min<quint64>(kPiece, size_ - at)), off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !put(to, piece.get(), size_t(got)))
            return false;
        // The bytes handed on give their room back at once: the directory
        // does not take its space twice on a nearly full disk.
        ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(at), off_t(got));
        at += quint64(got);
    }
    return true;
}

void ZipDirectorySpill::closed() {
    standIn_ = nullptr;
    failed_ = true;   // the chain it knew is gone
}

}  // namespace platform

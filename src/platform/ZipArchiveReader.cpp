// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveReader.h"

#include <algorithm>
#include <deque>
#include <mutex>

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "platform/HostNames.h"
#include "platform/ZipErrors.h"

namespace platform {
namespace {

constexpr quint32 kSigLocal = 0x04034b50;
constexpr quint32 kSigCentral = 0x02014b50;
constexpr quint32 kSigEnd = 0x06054b50;
constexpr quint32 kSigEnd64 = 0x06064b50;
constexpr quint32 kSigLocator64 = 0x07064b50;
constexpr quint32 kFlagEncrypted = 0x0001;
constexpr quint32 kFlagUtf8 = 0x0800;
constexpr quint64 kMaxDirectory = quint64(512) << 20;
constexpr size_t kBlock = size_t(1) << 20;
constexpr quint64 kDirectoryWindow = quint64(4) << 20;

quint16 u16(const char* p) { return quint16(uchar(p[0]) | (uchar(p[1]) << 8)); }
quint32 u32(const char* p) { return quint32(u16(p)) | (quint32(u16(p + 2)) << 16); }
quint64 u64(const char* p) { return quint64(u32(p)) | (quint64(u32(p + 4)) << 32); }

void put16(char* p, quint32 v) {
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}
void put32(char* p, quint32 v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}
void put64(char* p, quint64 v) {
    put32(p, quint32(v & 0xFFFFFFFF));
    put32(p + 4, quint32(v >> 32));
}

// Position of the end record within `tail` (the last bytes of the file), or
// -1: the signature nearest to the end, as the writer that appends takes it.
// A record cut short there, or a comment that runs past the end, is no reason
// to look for an older record: the archive would be one thing to us and
// another to it. A record of fewer than 22 bytes is then damage (-1).
qsizetype findEndRecord(const QByteArray& tail) {
    for (qsizetype p = tail.size() - 4; p >= 0; --p) {
        if (u32(tail.constData() + p) == kSigEnd)
            return p + 22 <= tail.size() ? p : -1;
    }
    return -1;
}

// Hands each whole block of extra data (its id, and the block from its
// header on) to `f` until `f` returns false; a block running past the end
// ends the walk.
template <class F>
void forEachExtraBlock(QByteArrayView extra, F f) {
    qsizetype at = 0;
    while (at + 4 <= extra.size()) {
        const char* b = extra.data() + at;
        const qsizetype len = u16(b + 2);
        if (at + 4 + len > extra.size() || !f(u16(b), b, len))
            return;
        at += 4 + len;
    }
}

// The modification time of an extended time-stamp field (0x5455).
std::optional<qint64> extendedMtime(QByteArrayView extra) {
    std::optional<qint64> found;
    forEachExtraBlock(extra, [&](quint32 id, const char* d, qsizetype len) {
        if (id == 0x5455 && len >= 5 && (uchar(d[4]) & 1))
            found = qint64(qint32(u32(d + 5)));
        return !found;
    });
    return found;
}

// The extra data without its ZIP64 block, into `out`; a block running past
// the end is dropped with everything after it.
void stripZip64Block(QByteArrayView extra, QByteArray* out) {
    out->clear();
    forEachExtraBlock(extra, [&](quint32 id, const char* b, qsizetype len) {
        if (id != 0x0001)
            out->append(b, 4 + len);
        return true;
    });
}

// Files known to be whole: written by this process, or checked entry by
// entry, and not changed since.
struct FileIdentity {
    dev_t dev;
    ino_t ino;
    off_t size;
    struct timespec mtime;
    bool operator==(const FileIdentity& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};
std::mutex g_wholeMutex;
std::deque<FileIdentity> g_whole;  // the most recent few

FileIdentity identityOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim}; }

void rememberWhole(const struct stat& st) {
    std::lock_guard lk(g_wholeMutex);
    const FileIdentity id = identityOf(st);
    std::erase_if(g_whole, [&](const FileIdentity& f) { return f.dev == id.dev && f.ino == id.ino; });
    g_whole.push_back(id);
    while (g_whole.size() > 16)
        g_whole.pop_front();
}

bool knownWhole(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    std::lock_guard lk(g_wholeMutex);
    return std::find(g_whole.begin(), g_whole.end(), identityOf(st)) != g_whole.end();
}

}  // namespace

void ZipArchiveReader::RememberWhole(const QString& hostPath) {
    struct stat st {};
    if (::stat(HostBytes(hostPath).constData(), &st) == 0)
        rememberWhole(st);
}

ZipArchiveReader::~ZipArchiveReader() { close(); }

void ZipArchiveReader::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool ZipArchiveReader::fail(int number, const QString& detail) {
    failure_ = {number, detail};
    return false;
}

bool ZipArchiveReader::readAt(quint64 offset, char* out, size_t n) {
    if (offset > size_ || n > size_ - offset)
        return fail(kErrInvalidFileFormat, QStringLiteral("the file ends too early"));
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, out + done, n - done, off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(VbNumberForErrno(errno), QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (got == 0)
            return fail(kErrInvalidFileFormat, QStringLiteral("the file ends too early"));
        done += size_t(got);
    }
    return true;
}

bool ZipArchiveReader::open(const QString& hostPath) {
    close();
    entries_.clear();
    comment_.clear();
    refused_ = 0;
    fd_ = ::open(platform::HostBytes(hostPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return fail(VbNumberForErrno(errno), QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return fail(VbNumberForErrno(errno), QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        return fail(kErrPathFileAccess, QStringLiteral("not a file"));
    size_ = quint64(st.st_size);
    if (!readDirectory()) {
        close();
        entries_.clear();
        return false;
    }
    return true;
}

bool ZipArchiveReader::readDirectory() {
    const QString damaged = QStringLiteral("not a ZIP archive, or damaged");
    if (size_ < 22)
        return fail(kErrInvalidFileFormat, damaged);
    const quint64 tailLen = std::min<quint64>(size_, 22 + 0xFFFF);
    QByteArray tail(qsizetype(tailLen), Qt::Uninitialized);
    if (!readAt(size_ - tailLen, tail.data(), size_t(tailLen)))
        return false;
    const qsizetype p = findEndRecord(tail);
    if (p < 0)
        return fail(kErrInvalidFileFormat, damaged);
    const char* end = tail.constData() + p;
    const quint64 endPos = size_ - tailLen + quint64(p);
    quint32 disk = u16(end + 4);
    quint32 directoryDisk = u16(end + 6);
    quint64 count = u16(end + 10);
    quint64 directorySize = u32(end + 12);
    quint64 directoryOffset = u32(end + 16);
    comment_ = tail.mid(p + 22, u16(end + 20));
    quint64 directoryEnd = endPos;
    bool zip64 = false;
    if (endPos >= 20) {
        char loc[20];
        if (!readAt(endPos - 20, loc, 20))
            return false;
        if (u32(loc) == kSigLocator64) {
            const quint64 recordPos = u64(loc + 8);
            char rec[56];
            if (recordPos > endPos - 20 || endPos - 20 - recordPos < 56 || !readAt(recordPos, rec, 56) ||
                u32(rec) != kSigEnd64 || u64(rec + 4) < 44)
                return fail(kErrInvalidFileFormat, QStringLiteral("damaged ZIP64 end record"));
            zip64 = true;
            disk = u32(rec + 16);
            directoryDisk = u32(rec + 20);
            count = u64(rec + 32);
            directorySize = u64(rec + 40);
            directoryOffset = u64(rec + 48);
            directoryEnd = recordPos;
        }
    }
    if ((disk != 0 && !(disk == 0xFFFF && !zip64)) || (directoryDisk != 0 && !(directoryDisk == 0xFFFF && !zip64)))
        return fail(kErrInvalidFileFormat,
                    QStringLiteral("one part of an archive split over several files; only whole archives can be read"));
    if (directoryOffset > directoryEnd || directorySize > directoryEnd - directoryOffset)
        return fail(kErrInvalidFileFormat, damaged);
    if (directorySize > kMaxDirectory)
        return fail(kErrInvalidFileFormat, QStringLiteral("central directory too large"));
    // Bytes in front of the archive (a self-extracting stub) shift every offset.
    const quint64 prefix = directoryEnd - (directoryOffset + directorySize);
    // A count of 65535 without a ZIP64 record may stand for more: then the
    // records are read until the directory ends.
    const bool countOpen = !zip64 && count == 0xFFFF;
    if (!countOpen && count > directorySize / 46)
        return fail(kErrInvalidFileFormat, damaged);
    // The directory is read in windows of a few megabytes: the entries keep
    // what they need of it, and a large directory is never held twice.
    QByteArray window;
    quint64 windowAt = 0;   // directory offset of window[0]
    auto bytesAt = [&](quint64 at, quint64 n) -> const char* {
        if (at < windowAt || at + n > windowAt + quint64(window.size())) {
            const quint64 len = std::min<quint64>(std::max<quint64>(n, kDirectoryWindow), directorySize - at);
            window.resize(qsizetype(len));
            if (!readAt(directoryOffset + prefix + at, window.data(), size_t(len)))
                return nullptr;
            windowAt = at;
        }
        return window.constData() + (at - windowAt);
    };
    QByteArray extraKept;
    quint64 at = 0;
    while (countOpen ? at < directorySize : entries_.size() < count) {
        if (directorySize - at < 46)
            return fail(kErrInvalidFileFormat, damaged);
        const char* r = bytesAt(at, 46);
        if (!r)
            return false;
        if (u32(r) != kSigCentral)
            return fail(kErrInvalidFileFormat, damaged);
        const quint64 nameLen = u16(r + 28);
        const quint64 extraLen = u16(r + 30);
        const quint64 commentLen = u16(r + 32);
        if (directorySize - at - 46 < nameLen + extraLen + commentLen)
            return fail(kErrInvalidFileFormat, damaged);
        r = bytesAt(at, 46 + nameLen + extraLen + commentLen);
        if (!r)
            return false;
        ZipEntryHead e;
        e.versionMadeBy = u16(r + 4);
        e.flags = u16(r + 8);
        e.method = u16(r + 10);
        e.dosDate = u32(r + 12);
        e.crc = u32(r + 16);
        e.compressedSize = u32(r + 20);
        e.uncompressedSize = u32(r + 24);
        e.internalAttributes = u16(r + 36);
        e.externalAttributes = u32(r + 38);
        quint64 offset = u32(r + 42);
        const QByteArrayView rawName(r + 46, qsizetype(nameLen));
        const QByteArrayView extra(r + 46 + nameLen, qsizetype(extraLen));
        const QByteArrayView fileComment(r + 46 + nameLen + extraLen, qsizetype(commentLen));
        // The ZIP64 block holds, in this order, each field that is all ones.
        const bool needU = e.uncompressedSize == 0xFFFFFFFF;
        const bool needC = e.compressedSize == 0xFFFFFFFF;
        const bool needO = offset == 0xFFFFFFFF;
        if (needU || needC || needO) {
            bool found = false;
            qsizetype x = 0;
            while (x + 4 <= extra.size() && !found) {
                const char* b = extra.data() + x;
                const qsizetype len = u16(b + 2);
                if (x + 4 + len > extra.size())
                    break;
                if (u16(b) == 0x0001) {
                    qsizetype f = 4;
                    auto take = [&](quint64* v) {
                        if (f + 8 > 4 + len)
                            return false;
                        *v = u64(b + f);
                        f += 8;
                        return true;
                    };
                    found = (!needU || take(&e.uncompressedSize)) && (!needC || take(&e.compressedSize)) &&
                            (!needO || take(&offset));
                    if (!found)
                        return fail(kErrInvalidFileFormat, QStringLiteral("damaged ZIP64 field"));
                }
                x += 4 + len;
            }
            // Sizes of all ones without the block are taken as they stand.
        }
        if (offset > size_ || prefix > size_ - offset)
            return fail(kErrInvalidFileFormat, damaged);
        e.localOffset = offset + prefix;
        // The local date is made from the seconds when an item asks for it:
        // making it here costs a time-zone lookup for every entry.
        if (auto t = extendedMtime(extra)) {
            e.unixTime = *t;
            e.time = ZipEntryHead::Time::Unix;
        } else if (ZipEntryHead::validDosDate(e.dosDate)) {
            e.time = ZipEntryHead::Time::Dos;
        }
        stripZip64Block(extra, &extraKept);
        entries_.append(e, rawName, extraKept, fileComment);
        at += 46 + nameLen + extraLen + commentLen;
    }
    window = QByteArray();
    // The records must fill the directory: bytes that belong to no record, or
    // records beyond the count, are damage that an append would carry on
    // into an archive that no reader can list whole.
    if (at != directorySize)
        return fail(kErrInvalidFileFormat, damaged);
    // Each entry's own header must be where the directory says, under the
    // same name. An entry that points elsewhere is refused (its data cannot
    // be trusted to be its own); the others stay readable. The archive
    // component refuses to add to such an archive, since the damage would be
    // carried on into it.
    if (knownWhole(fd_))
        return true;
    // Headers that lie close together (small entries) are read in blocks,
    // one read for many of them; a block takes the next header only while
    // it costs at most kHeaderSpan bytes per header, so that the data of
    // large entries between their headers is not read.
    constexpr quint64 kHeaderSpan = 4096;
    const auto headerEnd = [this](size_t i) {
        return entries_.head(i).localOffset + 30 + quint64(entries_.rawNameSize(i));
    };
    QByteArray block, rawName;
    quint64 blockStart = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        ZipEntryHead& e = entries_.head(i);
        entries_.nextRawName(i, &rawName);
        const quint64 need = 30 + quint64(rawName.size());
        if (e.localOffset > size_ || need > size_ - e.localOffset) {
            e.refusal = ZipEntryHead::Refusal::NoLocalHeader;
        } else {
            if (e.localOffset < blockStart || headerEnd(i) > blockStart + quint64(block.size())) {
                quint64 end = headerEnd(i), last = e.localOffset;
                for (size_t j = i + 1, headers = 2; j < entries_.size(); ++j, ++headers) {
                    const quint64 nOffset = entries_.head(j).localOffset;
                    const quint64 nEnd = headerEnd(j);
                    if (nOffset < last || nEnd > size_ || nEnd - e.localOffset > kHeaderSpan * headers ||
                        nEnd - e.localOffset > kBlock)
                        break;
                    last = nOffset;
                    end = std::max(end, nEnd);
                }
                block.resize(qsizetype(end - e.localOffset));
                blockStart = e.localOffset;
                if (!readAt(blockStart, block.data(), size_t(block.size())))
                    return false;
            }
            const char* local = block.constData() + (e.localOffset - blockStart);
            if (u32(local) != kSigLocal || u16(local + 26) != quint64(rawName.size()) ||
                std::memcmp(local + 30, rawName.constData(), size_t(rawName.size())) != 0)
                e.refusal = ZipEntryHead::Refusal::LocalHeaderDiffers;
        }
        if (e.refused())
            ++refused_;
    }
    struct stat st {};
    if (refused_ == 0 && ::fstat(fd_, &st) == 0)
        rememberWhole(st);
    return true;
}

bool ZipArchiveReader::dataRange(const ZipEntryRecord& e, quint64* start) {
    if (e.refused())
        return fail(kErrInvalidFileFormat, e.refusedText);
    char h[30];
    if (!readAt(e.localOffset, h, 30))
        return false;
    if (u32(h) != kSigLocal)
        return fail(kErrInvalidFileFormat, "no local header for " + e.name);
    const quint64 begin = e.localOffset + 30 + u16(h + 26) + u16(h + 28);
    if (begin > size_ || e.compressedSize > size_ - begin)
        return fail(kErrInvalidFileFormat, "data of " + e.name + " lies outside the file");
    *start = begin;
    return true;
}

bool ZipArchiveReader::localExtra(const ZipEntryRecord& e, QByteArray* extra) {
    char h[30];
    if (!readAt(e.localOffset, h, 30))
        return false;
    if (u32(h) != kSigLocal)
        return fail(kErrInvalidFileFormat, "no local header for " + e.name);
    QByteArray x(u16(h + 28), Qt::Uninitialized);
    if (!readAt(e.localOffset + 30 + u16(h + 26), x.data(), size_t(x.size())))
        return false;
    *extra = withoutZip64Block(x);
    return true;
}

bool ZipArchiveReader::readRaw(const ZipEntryRecord& e, const std::function<bool(const char*, size_t)>& sink) {
    quint64 at = 0;
    if (!dataRange(e, &at))
        return false;
    std::vector<char> block(kBlock);
    quint64 left = e.compressedSize;
    while (left > 0) {
        const size_t n = size_t(std::min<quint64>(left, block.size()));
        if (!readAt(at, block.data(), n))
            return false;
        if (!sink(block.data(), n))
            return fail(0, {});
        at += n;
        left -= n;
    }
    return true;
}

bool ZipArchiveReader::readData(const ZipEntryRecord& e, const std::function<bool(const char*, size_t)>& sink) {
    if (e.flags & kFlagEncrypted)
        return fail(kErrInvalidFileFormat, "encrypted entries are not supported: " + e.name);
    if (e.method != 0 && e.method != Z_DEFLATED)
        return fail(kErrInvalidFileFormat,
                    QStringLiteral("compression method %1 is not supported: ").arg(e.method) + e.name);
    quint64 at = 0;
    if (!dataRange(e, &at))
        return false;
    uLong crc = crc32(0L, Z_NULL, 0);
    quint64 total = 0;
    std::vector<char> in(kBlock / 4);
    quint64 left = e.compressedSize;
    auto damaged = [&](const char* why) { return fail(kErrInvalidFileFormat, QString::fromLatin1(why) + ": " + e.name); };
    if (e.method == 0) {
        if (e.compressedSize != e.uncompressedSize)
            return damaged("sizes differ in a stored entry");
        while (left > 0) {
            const size_t n = size_t(std::min<quint64>(left, in.size()));
            if (!readAt(at, in.data(), n))
                return false;
            crc = crc32(crc, reinterpret_cast<const Bytef*>(in.data()), uInt(n));
            if (!sink(in.data(), n))
                return fail(0, {});
            at += n;
            left -= n;
            total += n;
        }
    } else {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return fail(7, QStringLiteral("Out of memory"));
        struct End {
            z_stream* z;
            ~End() { inflateEnd(z); }
        } endGuard{&z};
        std::vector<char> out(kBlock);
        int zr = Z_OK;
        while (zr != Z_STREAM_END) {
            if (z.avail_in == 0 && left > 0) {
                const size_t n = size_t(std::min<quint64>(left, in.size()));
                if (!readAt(at, in.data(), n))
                    return false;
                at += n;
                left -= n;
                z.next_in = reinterpret_cast<Bytef*>(in.data());
                z.avail_in = uInt(n);
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            zr = inflate(&z, Z_NO_FLUSH);
            if (zr == Z_NEED_DICT || zr == Z_DATA_ERROR || zr == Z_STREAM_ERROR)
                return damaged("damaged compressed data");
            if (zr == Z_MEM_ERROR)
                return fail(7, QStringLiteral("Out of memory"));
            const size_t produced = out.size() - z.avail_out;
            if (produced > 0) {
                total += produced;
                if (total > e.uncompressedSize)
                    return damaged("more data than its size");
                crc = crc32(crc, reinterpret_cast<const Bytef*>(out.data()), uInt(produced));
                if (!sink(out.data(), produced))
                    return fail(0, {});
            } else if (zr == Z_BUF_ERROR || (z.avail_in == 0 && left == 0 && zr != Z_STREAM_END)) {
                return damaged("compressed data cut short");
            }
        }
    }
    if (total != e.uncompressedSize)
        return damaged("data cut short");
    if (quint32(crc) != e.crc)
        return damaged("checksum error");
    return true;
}

QString ZipArchiveReader::decodeName(QByteArrayView raw, quint32 flags, quint32 versionMadeBy) {
    // Unix (3) and OS X (19) hosts.
    const quint32 host = versionMadeBy >> 8;
    if (host == 3 || host == 19)
        return HostText(raw.data(), raw.size());
    if (flags & kFlagUtf8)
        return QString::fromUtf8(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(raw);
    if (!utf8.hasError())
        return s;
    static const char16_t high[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
        0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
        0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
        0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
        0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
        0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
        0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
        0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
        0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
        0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
    s.clear();
    s.reserve(raw.size());
    for (char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        s.append(b < 0x80 ? QChar(b) : QChar(high[b - 0x80]));
    }
    return s;
}

QByteArray ZipArchiveReader::withoutZip64Block(QByteArrayView extra) {
    QByteArray out;
    stripZip64Block(extra, &out);
    return out;
}

bool EnsureZip64EndRecord(const QString& hostPath, quint64 entryCount, int* errnoOut) {
    *errnoOut = 0;
    if (entryCount < 0xFFFF)
        return true;
    const int fd = ::open(platform::HostBytes(hostPath).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        *errnoOut = errno;
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *errnoOut = errno;
        return false;
    }
    const quint64 size = quint64(st.st_size);
    const quint64 tailLen = std::min<quint64>(size, 22 + 0xFFFF);
    QByteArray tail(qsizetype(tailLen), Qt::Uninitialized);
    if (::pread(fd, tail.data(), size_t(tailLen), off_t(size - tailLen)) != ssize_t(tailLen)) {
        *errnoOut = errno ? errno : EIO;
        return false;
    }
    const qsizetype p = findEndRecord(tail);
    if (p < 0) {
        *errnoOut = EINVAL;
        return false;
    }
    const quint64 endPos = size - tailLen + quint64(p);
    if (endPos >= 20 && p >= 20 && u32(tail.constData() + p - 20) == kSigLocator64) {
        // A ZIP64 record exists (the archive is past 4 GiB): make its count right.
        const quint64 recordPos = u64(tail.constData() + p - 20 + 8);
        char counts[16];
        put64(counts, entryCount);
        put64(counts + 8, entryCount);
        if (recordPos + 56 > endPos || ::pwrite(fd, counts, 16, off_t(recordPos + 24)) != 16) {
            *errnoOut = errno ? errno : EINVAL;
            return false;
        }
        return true;
    }
    const char* end = tail.constData() + p;
    const quint32 directorySize = u32(end + 12);
    const quint32 directoryOffset = u32(end + 16);
    const quint64 prefix = endPos - (quint64(directoryOffset) + directorySize);
    const QByteArray comment = tail.mid(p + 22, u16(end + 20));
    QByteArray add(56 + 20 + 22, '\0');
    char* r = add.data();
    put32(r, kSigEnd64);
    put64(r + 4, 44);
    put16(r + 12, 45);
    put16(r + 14, 45);
    put64(r + 24, entryCount);
    put64(r + 32, entryCount);
    put64(r + 40, directorySize);
    put64(r + 48, directoryOffset);
    char* l = r + 56;
    put32(l, kSigLocator64);
    put64(l + 8, endPos - prefix);
    put32(l + 16, 1);
    char* e = l + 20;
    put32(e, kSigEnd);
    put16(e + 8, 0xFFFF);
    put16(e + 10, 0xFFFF);
    put32(e + 12, directorySize);
    put32(e + 16, directoryOffset);
    put16(e + 20, quint32(comment.size()));
    add += comment;
    if (::pwrite(fd, add.constData(), size_t(add.size()), off_t(endPos)) != ssize_t(add.size())) {
        *errnoOut = errno ? errno : ENOSPC;
        return false;
    }
    return true;
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ZipHostPath.h"
#include "vb/VbError.h"

namespace platform {
namespace {

constexpr int errInvalidFileFormat = 321;
constexpr quint32 kFlagEncrypted = 0x0001;
constexpr quint32 kFlagLevelBits = 0x0006;
constexpr quint32 kFlagDataDescriptor = 0x0008;
constexpr quint32 kFlagUtf8 = 0x0800;
constexpr quint32 kMadeByUnix = (3u << 8) | 30u;
constexpr quint64 kZip64Threshold = 0xF0000000ull;     // files this large get ZIP64 headers
constexpr quint64 kPlainEntryLimit = 0xF8000000ull;    // an entry without them stops here
constexpr size_t kIoBlock = size_t(1) << 20;

int vbNumberForErrno(int e, int fallback = vb::errPathFileAccess) {
    switch (e) {
    case ENOENT: return vb::errFileNotFound;
    case ENOTDIR: return vb::errPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return vb::errPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return vb::errDiskFull;
    case EIO: return vb::errDeviceIO;
    case EMFILE:
    case ENFILE: return vb::errTooManyFiles;
    case ENAMETOOLONG: return vb::errBadFileNameOrNumber;
    case ENXIO:
    case ENODEV: return vb::errDeviceUnavailable;
    case 0: return fallback;
    default: return vb::errPathFileAccess;
    }
}

[[noreturn]] void raiseFor(int number, const QString& path, const QString& detail = {}) {
    QString text = number == errInvalidFileFormat ? QStringLiteral("Invalid file format")
                                                  : vb::StandardErrorText(number);
    if (!detail.isEmpty())
        text += " (" + detail + ")";
    if (!path.isEmpty())
        text += ": " + path;
    vb::Raise(number, text);
}

[[noreturn]] void raiseErrno(int e, const QString& path, int fallback = vb::errPathFileAccess) {
    raiseFor(vbNumberForErrno(e, fallback), path, e ? QString::fromLocal8Bit(std::strerror(e)) : QString());
}

QByteArray encodedHost(const QString& hostPath) { return QFile::encodeName(hostPath); }

// Names without the UTF-8 flag are, by the format's rule, in code page 437;
// names that happen to be valid UTF-8 (as Unix tools write them) are taken so.
QString decodeName(const QByteArray& raw, quint32 flags) {
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

// The modification time of the extended time-stamp field (0x5455), if the
// extra data holds one with its modification time.
std::optional<qint64> extendedMtime(const unsigned char* extra, size_t size) {
    size_t at = 0;
    while (at + 4 <= size) {
        const unsigned id = extra[at] | (extra[at + 1] << 8);
        const size_t len = extra[at + 2] | (extra[at + 3] << 8);
        const size_t data = at + 4;
        if (data + len > size)
            break;
        if (id == 0x5455 && len >= 5 && (extra[data] & 1)) {
            const quint32 t = quint32(extra[data + 1]) | (quint32(extra[data + 2]) << 8) |
                              (quint32(extra[data + 3]) << 16) | (quint32(extra[data + 4]) << 24);
            return qint64(qint32(t));
        }
        at = data + len;
    }
    return std::nullopt;
}

// Extra data without its ZIP64 block (minizip writes its own); a block that
// runs past the end is dropped with everything after it.
int withoutZip64Block(char* data, int size) {
    int in = 0;
    int out = 0;
    while (in + 4 <= size) {
        const auto* u = reinterpret_cast<const unsigned char*>(data + in);
        const int id = u[0] | (u[1] << 8);
        const int len = u[2] | (u[3] << 8);
        if (in + 4 + len > size)
            break;
        if (id != 0x0001) {
            std::memmove(data + out, data + in, size_t(4 + len));
            out += 4 + len;
        }
        in += 4 + len;
    }
    return out;
}

QDateTime dosToDateTime(quint32 dos) {
    const int year = int((dos >> 25) & 0x7F) + 1980;
    const int month = int((dos >> 21) & 0x0F);
    const int day = int((dos >> 16) & 0x1F);
    const int hour = int((dos >> 11) & 0x1F);
    const int minute = int((dos >> 5) & 0x3F);
    const int second = int(dos & 0x1F) * 2;
    const QDate d(year, month, day);
    const QTime t(hour, minute, second);
    if (!d.isValid() || !t.isValid())
        return {};
    return QDateTime(d, t);
}

quint32 dosFromTime(time_t t) {
    struct tm lt {};
    localtime_r(&t, &lt);
    int year = lt.tm_year + 1900;
    if (year < 1980)
        return (1u << 21) | (1u << 16);  // 1 January 1980, 00:00:00
    if (year > 2107)
        return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (quint32(year - 1980) << 25) | (quint32(lt.tm_mon + 1) << 21) | (quint32(lt.tm_mday) << 16) |
           (quint32(lt.tm_hour) << 11) | (quint32(lt.tm_min) << 5) | quint32(lt.tm_sec / 2);
}

QByteArray timestampField(qint64 mtime) {
    QByteArray f;
    if (mtime < 0 || mtime > 0x7FFFFFFF)
        return f;
    const auto t = quint32(mtime);
    const char bytes[9] = {0x55, 0x54, 5, 0, 1, char(t & 0xFF), char((t >> 8) & 0xFF), char((t >> 16) & 0xFF),
                           char((t >> 24) & 0xFF)};
    f.append(bytes, 9);
    return f;
}

// An archive without entries whose end record starts the file: minizip's
// reader takes a directory at offset 0 for "not found", so these are read here.
bool readEmptyArchive(const QString& hostPath, QByteArray* comment) {
    QFile f(hostPath);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 22 || f.size() > 22 + 0xFFFF)
        return false;
    const QByteArray b = f.readAll();
    auto u16 = [&](int at) { return int(uchar(b[at])) | (int(uchar(b[at + 1])) << 8); };
    if (!b.startsWith(QByteArray("PK\x05\x06", 4)))
        return false;
    for (int at = 4; at < 20; ++at)
        if (b[at] != 0)
            return false;
    if (u16(20) != b.size() - 22)
        return false;
    *comment = b.mid(22);
    return true;
}

mode_t processUmask() {
    static const mode_t mask = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("Umask:")) {
                    bool ok = false;
                    const uint m = line.mid(6).trimmed().toUInt(&ok, 8);
                    if (ok)
                        return mode_t(m);
                }
            }
        }
        return mode_t(022);
    }();
    return mask;
}

struct SourceFile {
    int fd = -1;
    ~SourceFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const char* data, size_t n, int* err) {
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd, data + done, n - done);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            *err = errno;
            return false;
        }
        if (w == 0) {
            *err = ENOSPC;
            return false;
        }
        done += size_t(w);
    }
    return true;
}

// Split a stored name for extraction; empty when the name would leave the
// target folder (absolute, a drive, "..") or names nothing.
QStringList safeParts(const QString& name) {
    if (name.isEmpty() || name.startsWith('/') || name.startsWith('\\') || name.contains(QChar(0)))
        return {};
    QStringList parts;
    const QStringList raw = name.split(QRegularExpression(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts);
    for (int i = 0; i < raw.size(); ++i) {
        const QString& p = raw[i];
        if (p == QLatin1String("."))
            continue;
        if (p == QLatin1String(".."))
            return {};
        if (i == 0 && p.size() >= 2 && p[1] == ':' && p[0].isLetter())
            return {};
        parts.append(p);
    }
    return parts;
}

}  // namespace

ZipArchiveState::ZipArchiveState() = default;

ZipArchiveState::~ZipArchiveState() {
    // The owner closes the archive; whatever is left is only released here.
    if (writer_) {
        writerIo_->freeze();
        zipClose(writer_, nullptr);
    }
    if (reader_)
        unzClose(reader_);
    if (deflaterLevel_ >= 0)
        deflateEnd(&deflater_);
}

QString ZipArchiveState::entryNameFor(const QString& windowsPath, bool storePath) {
    QString p = windowsPath;
    p.replace('/', '\\');
    if (p.startsWith(QLatin1String("\\\\"))) {
        // \\server\share\rest (also \\?\C:\rest): drop the server and the share.
        QStringList parts = p.mid(2).split('\\');
        if (!parts.isEmpty() && (parts[0] == QLatin1String("?") || parts[0] == QLatin1String("."))) {
            parts.removeFirst();
            if (!parts.isEmpty() && parts[0].size() == 2 && parts[0][1] == ':')
                parts.removeFirst();
        } else {
            for (int i = 0; i < 2 && !parts.isEmpty(); ++i)
                parts.removeFirst();
        }
        p = parts.join('\\');
    } else if (p.size() >= 2 && p[1] == ':') {
        p = p.mid(2);
    }
    QStringList out;
    for (const QString& part : p.split('\\', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(part);
    }
    if (!storePath && !out.isEmpty())
        out = QStringList{out.last()};
    return out.join('/');
}

void ZipArchiveState::requireOpen() const {
    if (!open_)
        vb::Raise(vb::errObjectNotSet, QStringLiteral("No archive is open"));
}

int ZipArchiveState::physicalIndex(int visibleIndex) const {
    if (visibleIndex < 0 || visibleIndex >= count())
        vb::Raise(vb::errSubscript);
    return visible_[size_t(visibleIndex)];
}

QString ZipArchiveState::comment() const { return QString::fromUtf8(comment_); }

void ZipArchiveState::resetToClosed() {
    closeReader();
    if (writer_) {
        writerIo_->freeze();
        zipClose(writer_, nullptr);
        writer_ = nullptr;
    }
    writerIo_.reset();
    open_ = false;
    windowsPath_.clear();
    hostPath_.clear();
    comment_.clear();
    entries_.clear();
    visible_.clear();
    positionsValid_ = false;
    damaged_ = false;
    damageNumber_ = 0;
    damageText_.clear();
    ++session_;
}

void ZipArchiveState::closeReader() {
    if (reader_) {
        unzClose(reader_);
        reader_ = nullptr;
    }
    readerIo_.reset();
}

void ZipArchiveState::openReader() {
    if (reader_)
        return;
    readerIo_ = std::make_unique<ZipFileIo>();
    const QByteArray host = encodedHost(hostPath_);
    reader_ = unzOpen2_64(host.constData(), readerIo_->functions());
    if (!reader_) {
        const int e = readerIo_->lastErrno();
        readerIo_.reset();
        if (e)
            raiseErrno(e, windowsPath_);
        raiseFor(errInvalidFileFormat, windowsPath_, QStringLiteral("not a ZIP archive, or damaged"));
    }
}

// Read the central directory through the reader: all entries, or only their
// positions for the entries already known.
void ZipArchiveState::listDirectory(bool refreshPositionsOnly) {
    QByteArray emptyComment;
    if (!reader_ && readEmptyArchive(hostPath_, &emptyComment)) {
        if (refreshPositionsOnly && !entries_.empty())
            raiseFor(errInvalidFileFormat, windowsPath_, QStringLiteral("directory changed"));
        if (!refreshPositionsOnly) {
            comment_ = emptyComment;
            entries_.clear();
            visible_.clear();
        }
        positionsValid_ = true;
        return;
    }
    openReader();
    const QString where = windowsPath_;
    auto bad = [&](const QString& why) {
        const int e = readerIo_ ? readerIo_->lastErrno() : 0;
        closeReader();
        if (e && e != EINVAL)
            raiseErrno(e, where);
        raiseFor(errInvalidFileFormat, where, why);
    };
    unz_global_info64 gi{};
    if (unzGetGlobalInfo64(reader_, &gi) != UNZ_OK)
        bad(QStringLiteral("unreadable end record"));
    if (!refreshPositionsOnly) {
        QByteArray c(int(gi.size_comment), '\0');
        if (gi.size_comment > 0) {
            const int got = unzGetGlobalComment(reader_, c.data(), uLong(c.size()));
            if (got < 0)
                bad(QStringLiteral("unreadable archive comment"));
            c.truncate(got);
        }
        comment_ = c;
        entries_.clear();
        visible_.clear();
    }
    std::vector<char> nameBuf(0x10000);
    std::vector<unsigned char> extraBuf(0x10000);
    size_t index = 0;
    int rc = gi.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : unzGoToFirstFile(reader_);
    while (rc == UNZ_OK) {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(reader_, &info, nameBuf.data(), uLong(nameBuf.size()), extraBuf.data(),
                                    uLong(extraBuf.size()), nullptr, 0) != UNZ_OK)
            bad(QStringLiteral("unreadable directory entry"));
        unz64_file_pos pos{};
        if (unzGetFilePos64(reader_, &pos) != UNZ_OK)
            bad(QStringLiteral("unreadable directory entry"));
        if (refreshPositionsOnly) {
            if (index >= entries_.size())
                bad(QStringLiteral("directory changed"));
            entries_[index].position = pos;
        } else {
            ZipEntryRecord r;
            const size_t nameLen = std::min<size_t>(info.size_filename, nameBuf.size());
            r.name = decodeName(QByteArray(nameBuf.data(), int(nameLen)), quint32(info.flag));
            r.flags = quint32(info.flag);
            r.method = quint32(info.compression_method);
            r.versionMadeBy = quint32(info.version);
            r.externalAttributes = quint32(info.external_fa);
            r.crc = quint32(info.crc);
            r.compressedSize = info.compressed_size;
            r.uncompressedSize = info.uncompressed_size;
            r.position = pos;
            const size_t extraLen = std::min<size_t>(info.size_file_extra, extraBuf.size());
            if (auto t = extendedMtime(extraBuf.data(), extraLen)) {
                r.modified = QDateTime::fromSecsSinceEpoch(*t);
                r.modifiedSecs = *t;
                r.hasModified = true;
            } else {
                r.modified = dosToDateTime(quint32(info.dosDate));
                r.hasModified = r.modified.isValid();
                if (r.hasModified)
                    r.modifiedSecs = r.modified.toSecsSinceEpoch();
            }
            visible_.push_back(int(entries_.size()));
            entries_.push_back(std::move(r));
        }
        ++index;
        rc = unzGoToNextFile(reader_);
        // The reader takes an entry count of 65535 as "at least that many"
        // and reads on until the records end.
        if (rc != UNZ_OK && rc != UNZ_END_OF_LIST_OF_FILE && gi.number_entry == 0xFFFF && index >= 0xFFFF)
            rc = UNZ_END_OF_LIST_OF_FILE;
    }
    if (rc != UNZ_END_OF_LIST_OF_FILE)
        bad(QStringLiteral("damaged central directory"));
    if (refreshPositionsOnly && index != entries_.size())
        bad(QStringLiteral("directory changed"));
    positionsValid_ = true;
}

void ZipArchiveState::create(const QString& windowsPath) {
    close();
    const QString host = ZipHostPath(windowsPath);
    if (host.isEmpty())
        raiseFor(vb::errPathNotFound, windowsPath);
    ZipFileIo io;
    io.setTruncateOnClose(true);
    const QByteArray encoded = encodedHost(host);
    zipFile z = zipOpen2_64(encoded.constData(), APPEND_STATUS_CREATE, nullptr, io.functions());
    if (!z)
        raiseErrno(io.lastErrno() == ENOENT ? ENOTDIR : io.lastErrno(), windowsPath);
    if (zipClose(z, nullptr) != ZIP_OK)
        raiseErrno(io.lastErrno(), windowsPath);
    windowsPath_ = windowsPath;
    hostPath_ = host;
    open_ = true;
    positionsValid_ = false;
}

void ZipArchiveState::open(const QString& windowsPath) {
    close();
    const QString host = ZipHostPath(windowsPath);
    if (host.isEmpty())
        raiseFor(vb::errPathNotFound, windowsPath);
    windowsPath_ = windowsPath;
    hostPath_ = host;
    try {
        listDirectory(false);
    } catch (...) {
        resetToClosed();
        throw;
    }
    open_ = true;
}

void ZipArchiveState::close() {
    if (!open_)
        return;
    std::optional<vb::VbError> failure;
    try {
        commitWriter();
        compact();
    } catch (const vb::VbError& e) {
        failure = e;
    }
    if (!failure && damaged_)
        failure = vb::VbError(damageNumber_, damageText_);
    resetToClosed();
    if (failure)
        throw *failure;
}

void ZipArchiveState::setComment(const QString& text) {
    requireOpen();
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > 0xFFFF)
        vb::Raise(vb::errInvalidCall, QStringLiteral("The archive comment is too long"));
    comment_ = bytes;
    if (damaged_)
        vb::Raise(damageNumber_, damageText_);
    if (!writer_) {
        // Written at once, so that the file on disk is complete.
        openWriter();
        commitWriter();
    }
}

void ZipArchiveState::openWriter() {
    if (writer_)
        return;
    if (damaged_)
        vb::Raise(damageNumber_, damageText_);
    closeReader();
    positionsValid_ = false;
    writerIo_ = std::make_unique<ZipFileIo>();
    writerIo_->setTruncateOnClose(true);
    const QByteArray encoded = encodedHost(hostPath_);
    writer_ = zipOpen2_64(encoded.constData(), APPEND_STATUS_ADDINZIP, nullptr, writerIo_->functions());
    if (!writer_) {
        const int e = writerIo_->lastErrno();
        writerIo_.reset();
        if (e)
            raiseErrno(e, windowsPath_);
        raiseFor(errInvalidFileFormat, windowsPath_, QStringLiteral("cannot add to this archive"));
    }
}

void ZipArchiveState::failWriter(const QString& what) {
    const int e = writerIo_ ? writerIo_->lastErrno() : 0;
    damaged_ = true;
    damageNumber_ = e ? vbNumberForErrno(e) : vb::errDeviceIO;
    damageText_ = vb::StandardErrorText(damageNumber_) + " (" + what +
                  (e ? QStringLiteral(", ") + QString::fromLocal8Bit(std::strerror(e)) : QString()) +
                  "; the archive is damaged): " + windowsPath_;
    if (writer_) {
        writerIo_->freeze();
        zipClose(writer_, nullptr);
        writer_ = nullptr;
    }
    writerIo_.reset();
    vb::Raise(damageNumber_, damageText_);
}

void ZipArchiveState::commitWriter() {
    if (!writer_)
        return;
    const QByteArray c = comment_;
    if (zipClose(writer_, c.constData()) != ZIP_OK) {
        writer_ = nullptr;
        failWriter(QStringLiteral("writing the central directory failed"));
    }
    writer_ = nullptr;
    writerIo_.reset();
}

void ZipArchiveState::ensureDeflater(int level) {
    if (deflaterLevel_ == level) {
        deflateReset(&deflater_);
        return;
    }
    if (deflaterLevel_ >= 0)
        deflateEnd(&deflater_);
    deflaterLevel_ = -1;
    std::memset(&deflater_, 0, sizeof deflater_);
    if (deflateInit2(&deflater_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        vb::Raise(vb::errOutOfMemory);
    deflaterLevel_ = level;
}

void ZipArchiveState::addFile(const QString& windowsPath, int level, bool storePath, bool overwrite) {
    requireOpen();
    if (level < 0 || level > 9)
        vb::Raise(vb::errInvalidCall, QStringLiteral("Compression level must be 0 to 9"));
    const QString name = entryNameFor(windowsPath, storePath);
    const QByteArray rawName = name.toUtf8();
    if (name.isEmpty() || rawName.size() > 0xFFFF)
        raiseFor(vb::errBadFileNameOrNumber, windowsPath);
    const QString host = ZipHostPath(windowsPath);
    if (host.isEmpty())
        raiseFor(vb::errPathNotFound, windowsPath);

    // The source is opened first: a file that cannot be read leaves the archive untouched.
    SourceFile src;
    const QByteArray encoded = encodedHost(host);
    src.fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (src.fd < 0 && errno == EPERM)
        src.fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
    if (src.fd < 0)
        raiseErrno(errno, windowsPath);
    struct stat st {};
    if (::fstat(src.fd, &st) != 0)
        raiseErrno(errno, windowsPath);
    if (!S_ISREG(st.st_mode))
        raiseFor(vb::errPathFileAccess, windowsPath, QStringLiteral("not a file"));
    struct stat self {};
    if (::stat(encodedHost(hostPath_).constData(), &self) == 0 && self.st_dev == st.st_dev && self.st_ino == st.st_ino)
        raiseFor(vb::errPathFileAccess, windowsPath, QStringLiteral("the archive cannot hold itself"));
    ::posix_fadvise(src.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    openWriter();

    const bool zip64 = quint64(st.st_size) >= kZip64Threshold;
    const int method = (level == 0 || st.st_size == 0) ? 0 : Z_DEFLATED;
    zip_fileinfo zfi{};
    zfi.dosDate = dosFromTime(st.st_mtim.tv_sec);
    quint32 dosAttributes = 0;
    if (!(st.st_mode & S_IWUSR))
        dosAttributes |= 0x01;  // read-only
    if (QFileInfo(host).fileName().startsWith('.'))
        dosAttributes |= 0x02;  // hidden
    zfi.external_fa = (quint32(st.st_mode & 0xFFFF) << 16) | dosAttributes;
    const QByteArray stamp = timestampField(st.st_mtim.tv_sec);

    if (zipOpenNewFileInZip4_64(writer_, rawName.constData(), &zfi, stamp.constData(), uInt(stamp.size()),
                                stamp.constData(), uInt(stamp.size()), nullptr, method, level, 1, -MAX_WBITS,
                                8, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix, kFlagUtf8, zip64 ? 1 : 0) != ZIP_OK)
        failWriter(QStringLiteral("writing a local header failed"));

    if (method == Z_DEFLATED)
        ensureDeflater(level);
    inBuf_.resize(kIoBlock);
    outBuf_.resize(kIoBlock / 2);

    uLong crc = crc32(0L, Z_NULL, 0);
    quint64 usize = 0;
    quint64 csize = 0;
    int readErrno = 0;
    auto put = [&](const unsigned char* data, size_t n) {
        if (n == 0)
            return;
        if (zipWriteInFileInZip(writer_, data, unsigned(n)) != ZIP_OK)
            failWriter(QStringLiteral("writing compressed data failed"));
        csize += n;
    };
    auto drain = [&](int flush) {
        do {
            deflater_.next_out = outBuf_.data();
            deflater_.avail_out = uInt(outBuf_.size());
            const int zr = deflate(&deflater_, flush);
            if (zr == Z_STREAM_ERROR)
                failWriter(QStringLiteral("compression failed"));
            put(outBuf_.data(), outBuf_.size() - deflater_.avail_out);
        } while (deflater_.avail_out == 0);
    };
    for (;;) {
        size_t want = inBuf_.size();
        if (!zip64) {
            // Without ZIP64 headers an entry must stay below 4 GiB, even if the file grows.
            const quint64 room = kPlainEntryLimit - std::max(usize, csize);
            if (room == 0)
                break;
            want = size_t(std::min<quint64>(want, room));
        }
        const ssize_t got = ::read(src.fd, inBuf_.data(), want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            readErrno = errno;
            break;
        }
        if (got == 0)
            break;
        crc = crc32(crc, inBuf_.data(), uInt(got));
        usize += quint64(got);
        if (method == Z_DEFLATED) {
            deflater_.next_in = inBuf_.data();
            deflater_.avail_in = uInt(got);
            drain(Z_NO_FLUSH);
        } else {
            put(inBuf_.data(), size_t(got));
        }
    }
    if (method == Z_DEFLATED) {
        deflater_.next_in = nullptr;
        deflater_.avail_in = 0;
        drain(Z_FINISH);
    }
    // A file that could not be read to its end is closed with a wrong
    // checksum, so that no reader takes the part as the whole; it is never
    // listed and is dropped when the archive is closed.
    const bool failed = readErrno != 0;
    const uLong storedCrc = failed ? (crc ^ 0xFFFFFFFFul) : crc;
    if (zipCloseFileInZipRaw64(writer_, usize, storedCrc) != ZIP_OK)
        failWriter(QStringLiteral("finishing an entry failed"));

    ZipEntryRecord r;
    r.name = name;
    r.flags = kFlagUtf8;
    r.method = quint32(method);
    r.versionMadeBy = kMadeByUnix;
    r.externalAttributes = quint32(zfi.external_fa);
    r.crc = quint32(storedCrc);
    r.compressedSize = csize;
    r.uncompressedSize = usize;
    r.modifiedSecs = st.st_mtim.tv_sec;
    r.modified = QDateTime::fromSecsSinceEpoch(r.modifiedSecs);
    r.hasModified = true;
    r.failed = failed;
    if (!failed && overwrite) {
        for (int i : visible_) {
            ZipEntryRecord& old = entries_[size_t(i)];
            if (!old.replaced && old.name == name)
                old.replaced = true;
        }
    }
    if (!failed)
        visible_.push_back(int(entries_.size()));
    entries_.push_back(std::move(r));
    if (failed)
        raiseErrno(readErrno, windowsPath, vb::errDeviceIO);
}

// Drop replaced and unfinished entries: copy the others, still compressed,
// into a new file beside the archive, which then takes the archive's place.
void ZipArchiveState::compact() {
    bool anyDead = false;
    for (const ZipEntryRecord& r : entries_)
        anyDead = anyDead || r.replaced || r.failed;
    if (!anyDead)
        return;
    closeReader();
    positionsValid_ = false;

    const QFileInfo fi(hostPath_);
    QByteArray tmpl = encodedHost(fi.absolutePath() + "/.vaultora-zip-XXXXXX");
    const int tfd = ::mkstemp(tmpl.data());
    if (tfd < 0)
        raiseErrno(errno, windowsPath_);
    ::close(tfd);
    struct TempGuard {
        QByteArray path;
        bool keep = false;
        ~TempGuard() {
            if (!keep)
                ::unlink(path.constData());
        }
    } guard{tmpl};

    ZipFileIo rio;
    const QByteArray encoded = encodedHost(hostPath_);
    unzFile in = unzOpen2_64(encoded.constData(), rio.functions());
    if (!in)
        raiseFor(errInvalidFileFormat, windowsPath_, QStringLiteral("cannot reread the archive"));
    ZipFileIo wio;
    wio.setSyncOnClose(true);
    zipFile out = zipOpen2_64(tmpl.constData(), APPEND_STATUS_CREATE, nullptr, wio.functions());
    if (!out) {
        unzClose(in);
        raiseErrno(wio.lastErrno(), windowsPath_);
    }
    std::vector<char> name(0x10001);
    std::vector<char> centralExtra(0x10000);
    std::vector<char> localExtra(0x10000);
    std::vector<char> fileComment(0x10001);
    std::vector<char> block(kIoBlock);
    QString failure;
    int failErrno = 0;
    int rc = unzGoToFirstFile(in);
    for (size_t i = 0; i < entries_.size() && failure.isEmpty(); ++i) {
        if (rc != UNZ_OK) {
            failure = QStringLiteral("directory changed");
            break;
        }
        const ZipEntryRecord& r = entries_[i];
        if (!(r.replaced || r.failed)) {
            unz_file_info64 info{};
            std::fill(name.begin(), name.end(), '\0');
            std::fill(fileComment.begin(), fileComment.end(), '\0');
            if (unzGetCurrentFileInfo64(in, &info, name.data(), uLong(name.size() - 1), centralExtra.data(),
                                        uLong(centralExtra.size()), fileComment.data(),
                                        uLong(fileComment.size() - 1)) != UNZ_OK) {
                failure = QStringLiteral("unreadable directory entry");
                break;
            }
            int method = 0;
            int level = 0;
            if (unzOpenCurrentFile2(in, &method, &level, 1) != UNZ_OK) {
                failure = QStringLiteral("unreadable entry");
                break;
            }
            int localLen = unzGetLocalExtrafield(in, localExtra.data(), unsigned(localExtra.size()));
            if (localLen < 0)
                localLen = 0;
            int centralLen = int(std::min<size_t>(info.size_file_extra, centralExtra.size()));
            localLen = withoutZip64Block(localExtra.data(), localLen);
            centralLen = withoutZip64Block(centralExtra.data(), centralLen);
            zip_fileinfo zfi{};
            zfi.dosDate = info.dosDate;
            zfi.internal_fa = info.internal_fa;
            zfi.external_fa = info.external_fa;
            const bool big = info.uncompressed_size >= 0xFFFFFFFFull || info.compressed_size >= 0xFFFFFFFFull;
            const uLong flagBase = info.flag & ~uLong(kFlagLevelBits | kFlagDataDescriptor);
            if (zipOpenNewFileInZip4_64(out, name.data(), &zfi, localLen ? localExtra.data() : nullptr,
                                        uInt(localLen), centralLen ? centralExtra.data() : nullptr,
                                        uInt(centralLen), info.size_file_comment ? fileComment.data() : nullptr,
                                        method, level, 1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0,
                                        info.version, flagBase, big ? 1 : 0) != ZIP_OK) {
                failure = QStringLiteral("writing failed");
                failErrno = wio.lastErrno();
                unzCloseCurrentFile(in);
                break;
            }
            quint64 copied = 0;
            for (;;) {
                const int got = unzReadCurrentFile(in, block.data(), unsigned(block.size()));
                if (got < 0) {
                    failure = QStringLiteral("unreadable entry data");
                    break;
                }
                if (got == 0)
                    break;
                if (zipWriteInFileInZip(out, block.data(), unsigned(got)) != ZIP_OK) {
                    failure = QStringLiteral("writing failed");
                    failErrno = wio.lastErrno();
                    break;
                }
                copied += quint64(got);
            }
            unzCloseCurrentFile(in);
            if (failure.isEmpty() && copied != info.compressed_size)
                failure = QStringLiteral("entry data cut short");
            if (zipCloseFileInZipRaw64(out, info.uncompressed_size, info.crc) != ZIP_OK && failure.isEmpty()) {
                failure = QStringLiteral("writing failed");
                failErrno = wio.lastErrno();
            }
        }
        rc = unzGoToNextFile(in);
    }
    unzClose(in);
    if (failure.isEmpty()) {
        if (zipClose(out, comment_.constData()) != ZIP_OK) {
            failure = QStringLiteral("writing failed");
            failErrno = wio.lastErrno();
        }
    } else {
        wio.freeze();
        zipClose(out, nullptr);
    }
    if (failure.isEmpty() && ::rename(tmpl.constData(), encoded.constData()) != 0) {
        failure = QStringLiteral("replacing the archive failed");
        failErrno = errno;
    }
    if (!failure.isEmpty()) {
        // The archive itself is whole: it still lists the replaced entries.
        if (failErrno)
            raiseFor(vbNumberForErrno(failErrno), windowsPath_,
                     "dropping replaced entries: " + failure + ", " +
                         QString::fromLocal8Bit(std::strerror(failErrno)));
        raiseFor(errInvalidFileFormat, windowsPath_, "dropping replaced entries: " + failure);
    }
    guard.keep = true;
}

void ZipArchiveState::extract(int physical, quint64 session, const QString& windowsFolder) {
    if (!open_ || session != session_)
        vb::Raise(vb::errObjectNotSet, QStringLiteral("The archive of this entry is closed"));
    const ZipEntryRecord r = entries_[size_t(physical)];
    const QStringList parts = safeParts(r.name);
    if (parts.isEmpty())
        raiseFor(vb::errBadFileNameOrNumber, r.name, QStringLiteral("entry name leaves the target folder"));
    if (r.flags & kFlagEncrypted)
        raiseFor(errInvalidFileFormat, r.name, QStringLiteral("encrypted entries are not supported"));
    const bool isFolder = r.name.endsWith('/') || r.name.endsWith('\\');
    if (!isFolder && r.method != 0 && r.method != Z_DEFLATED)
        raiseFor(errInvalidFileFormat, r.name, QStringLiteral("unsupported compression method"));

    QString folder = windowsFolder;
    while (folder.endsWith('\\') || folder.endsWith('/'))
        folder.chop(1);
    if (folder.isEmpty())
        raiseFor(vb::errPathNotFound, windowsFolder);
    const QString windowsTarget = folder + "\\" + parts.join('\\');
    const QString hostRoot = ZipHostPath(folder + "\\");
    const QString hostTarget = ZipHostPath(windowsTarget);
    if (hostRoot.isEmpty() || hostTarget.isEmpty())
        raiseFor(vb::errPathNotFound, windowsTarget);
    const QString rootPrefix = hostRoot.endsWith('/') ? hostRoot : hostRoot + "/";
    if (!hostTarget.startsWith(rootPrefix))
        raiseFor(vb::errBadFileNameOrNumber, r.name, QStringLiteral("entry name leaves the target folder"));

    if (isFolder) {
        if (!QDir().mkpath(hostTarget) || !QFileInfo(hostTarget).isDir())
            raiseFor(vb::errPathNotFound, windowsTarget);
        return;
    }
    const QString hostParent = QFileInfo(hostTarget).absolutePath();
    if (!QDir().mkpath(hostParent) || !QFileInfo(hostParent).isDir())
        raiseFor(vb::errPathNotFound, windowsTarget);

    commitWriter();
    if (!positionsValid_ || !reader_)
        listDirectory(true);
    unz64_file_pos pos = entries_[size_t(physical)].position;
    if (unzGoToFilePos64(reader_, &pos) != UNZ_OK || unzOpenCurrentFile(reader_) != UNZ_OK)
        raiseFor(errInvalidFileFormat, windowsPath_, "unreadable entry " + r.name);

    QByteArray tmpl = encodedHost(hostParent + "/.vaultora-extract-XXXXXX");
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        unzCloseCurrentFile(reader_);
        raiseErrno(e, windowsTarget);
    }
    int writeErr = 0;
    QString problem;
    quint64 total = 0;
    std::vector<char> block(kIoBlock);
    for (;;) {
        const int got = unzReadCurrentFile(reader_, block.data(), unsigned(block.size()));
        if (got < 0) {
            problem = QStringLiteral("damaged entry data");
            break;
        }
        if (got == 0)
            break;
        if (!writeAll(fd, block.data(), size_t(got), &writeErr))
            break;
        total += quint64(got);
    }
    const int closeRc = unzCloseCurrentFile(reader_);
    if (problem.isEmpty() && !writeErr && closeRc == UNZ_CRCERROR)
        problem = QStringLiteral("checksum error");
    if (problem.isEmpty() && !writeErr && total != r.uncompressedSize)
        problem = QStringLiteral("entry data cut short");
    if (problem.isEmpty() && !writeErr) {
        mode_t mode = 0666 & ~processUmask();
        const quint32 unixMode = r.externalAttributes >> 16;
        if ((r.versionMadeBy >> 8) == 3 && (unixMode & 0777) != 0 && ((unixMode & S_IFMT) == S_IFREG || (unixMode & S_IFMT) == 0))
            mode = unixMode & 0777;
        if (::fchmod(fd, mode) != 0)
            writeErr = errno;
        if (!writeErr && r.hasModified) {
            struct timespec times[2] = {{0, UTIME_NOW}, {time_t(r.modifiedSecs), 0}};
            ::futimens(fd, times);
        }
        if (!writeErr && ::fdatasync(fd) != 0)
            writeErr = errno;
    }
    if (::close(fd) != 0 && !writeErr && problem.isEmpty())
        writeErr = errno;
    const QByteArray target = encodedHost(hostTarget);
    if (problem.isEmpty() && !writeErr && ::rename(tmpl.constData(), target.constData()) != 0)
        writeErr = errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST ? EISDIR : errno;
    if (problem.isEmpty() && !writeErr)
        return;
    ::unlink(tmpl.constData());
    if (!problem.isEmpty())
        raiseFor(errInvalidFileFormat, windowsPath_, problem + " in " + r.name);
    raiseErrno(writeErr, windowsTarget);
}

}  // namespace platform

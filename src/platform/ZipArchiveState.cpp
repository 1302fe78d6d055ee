// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <thread>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/HostNames.h"
#include "platform/KnownLinks.h"
#include "platform/ZipEntryBytes.h"
#include "platform/ZipErrors.h"
#include "platform/ZipExtractTarget.h"
#include "platform/Paths.h"
#include "vb/VbError.h"

namespace platform {
namespace {

constexpr quint32 kFlagLevelBits = 0x0006;
constexpr quint32 kFlagDataDescriptor = 0x0008;
constexpr quint32 kFlagUtf8 = 0x0800;
constexpr quint32 kMadeByUnix = (3u << 8) | 30u;
constexpr size_t kIoBlock = size_t(1) << 20;

QByteArray encodedHost(const QString& hostPath) { return platform::HostBytes(hostPath); }
// The directory records of this many entries (about 100 KB) are moved out
// of memory at once.
constexpr int kEntriesPerSpill = 1024;

[[noreturn]] void raiseFor(int number, const QString& path, const QString& detail = {}) {
    RaiseZipError(number, path, detail);
}
[[noreturn]] void raiseErrno(int e, const QString& path, int fallback = kErrPathFileAccess) {
    RaiseZipErrno(e, path, fallback);
}
constexpr int errInvalidFileFormat = kErrInvalidFileFormat;

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
}

QString ZipArchiveState::entryNameFor(const QString& windowsPath, bool storePath) {
    // The usual path, "X:\folders\name" with nothing to resolve, is the
    // part below the drive as it stands.
    const qsizetype n = windowsPath.size();
    if (n >= 4 && windowsPath[1] == ':' && windowsPath[2] == '\\') {
        bool plain = true;
        qsizetype part = 3;   // where the current component starts
        for (qsizetype i = 3; i <= n && plain; ++i) {
            if (i < n && windowsPath[i] == '/') {
                plain = false;
            } else if (i == n || windowsPath[i] == '\\') {
                const qsizetype len = i - part;
                plain = len > 0 && !(windowsPath[part] == '.' && (len == 1 || (len == 2 && windowsPath[part + 1] == '.')));
                part = i + 1;
            }
        }
        if (plain) {
            if (!storePath)
                return windowsPath.mid(windowsPath.lastIndexOf('\\') + 1);
            QString name = windowsPath.mid(3);
            name.replace('\\', '/');
            return name;
        }
    }
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
    directorySpill_ = nullptr;
    open_ = false;
    selfKnown_ = false;
    windowsPath_.clear();
    hostPath_.clear();
    comment_.clear();
    // The memory of a large directory goes back at once: the next archive
    // opened may be as large.
    entries_.clear();
    visible_ = {};
    replaced_ = 0;
    liveByName_.clear();
    earlierSameName_ = {};
    namesIndexed_ = true;
    refused_ = 0;
    firstRefusal_.clear();
    damaged_ = false;
    damageNumber_ = 0;
    damageText_.clear();
    ++session_;
}

void ZipArchiveState::closeReader() { reader_.reset(); }

std::function<void()>& ZipArchiveState::WhileAdding() {
    static std::function<void()> callback;
    return callback;
}

void ZipArchiveState::indexNames() {
    if (namesIndexed_)
        return;
    liveByName_.clear();
    liveByName_.reserve(entries_.size());
    earlierSameName_.assign(entries_.size(), -1);
    QByteArray raw;
    for (size_t i = 0; i < entries_.size(); ++i) {
        entries_.nextRawName(i, &raw);
        const ZipEntryHead& h = entries_.head(i);
        if (h.replaced || h.failed || h.refused())
            continue;
        const QString name = ZipArchiveReader::decodeName(raw, h.flags, h.versionMadeBy);
        const quint32 hash = ZipNameIndex::hashOf(name);
        earlierSameName_[i] = liveByName_.find(entries_, name, hash);
        liveByName_.set(entries_, name, hash, int(i));
    }
    namesIndexed_ = true;
}

// Read the directory anew. With `keepMarks` the entries are those known
// already (the file was rewritten by this session): their replaced and
// failed marks stay, everything else is taken from the file.
void ZipArchiveState::readDirectory(bool keepMarks) {
    closeReader();
    auto r = std::make_unique<ZipArchiveReader>();
    if (!r->open(hostPath_))
        raiseFor(r->failure().number, windowsPath_, r->failure().detail);
    ZipDirectory& read = r->entries();
    if (keepMarks) {
        if (read.size() != entries_.size())
            raiseFor(errInvalidFileFormat, windowsPath_, QStringLiteral("the directory changed"));
        for (size_t i = 0; i < read.size(); ++i) {
            read.head(i).replaced = entries_.head(i).replaced;
            read.head(i).failed = entries_.head(i).failed;
        }
        entries_ = std::move(read);  // the reader needs only the records it is handed
    } else {
        entries_ = std::move(read);
        comment_ = r->comment();
        visible_.clear();
        replaced_ = 0;
        visible_.reserve(entries_.size());
        refused_ = r->refusedCount();
        firstRefusal_.clear();
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (entries_.head(i).refused()) {
                if (firstRefusal_.isEmpty())
                    firstRefusal_ = entries_.record(i).refusedText;
                continue;
            }
            visible_.push_back(int(i));
        }
        // The names are indexed when a file is first added: an archive
        // opened to be tested or listed never needs them.
        liveByName_.clear();
        earlierSameName_ = {};
        namesIndexed_ = false;
    }
    reader_ = std::move(r);
}

void ZipArchiveState::create(const QString& windowsPath) {
    close();
    const QString host = ToHost(windowsPath);
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
}

void ZipArchiveState::open(const QString& windowsPath, bool toRead) {
    close();
    const QString host = ToHost(windowsPath);
    if (host.isEmpty())
        raiseFor(vb::errPathNotFound, windowsPath);
    windowsPath_ = windowsPath;
    hostPath_ = host;
    try {
        readDirectory(false);
        if (refused_ > 0 && !toRead)
            raiseFor(errInvalidFileFormat, windowsPath_, firstRefusal_);
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
    if (refused_ > 0)
        raiseFor(errInvalidFileFormat, windowsPath_, firstRefusal_);
    closeReader();
    writerIo_ = std::make_unique<ZipFileIo>();
    writerIo_->setTruncateOnClose(true);
    const QByteArray encoded = encodedHost(hostPath_);
    writer_ = zipOpen2_64(encoded.constData(), APPEND_STATUS_ADDINZIP, nullptr, writerIo_->functions());
    if (!writer_) {
        const int e = writerIo_->lastErrno();
        writerIo_.reset();
        directorySpill_ = nullptr;
        if (e)
            raiseErrno(e, windowsPath_);
        raiseFor(errInvalidFileFormat, windowsPath_, QStringLiteral("cannot add to this archive"));
    }
    // The directory records wait beside the archive, where its directory
    // will be written.
    directorySpill_ = writerIo_->directorySpill(encodedHost(QFileInfo(hostPath_).absolutePath()));
    entriesSinceSpill_ = 0;
}

void ZipArchiveState::failWriter(const QString& what) {
    const int e = writerIo_ ? writerIo_->lastErrno() : 0;
    damaged_ = true;
    damageNumber_ = e ? VbNumberForErrno(e) : vb::errDeviceIO;
    damageText_ = vb::StandardErrorText(damageNumber_) + " (" + what +
                  (e ? QStringLiteral(", ") + QString::fromLocal8Bit(std::strerror(e)) : QString()) +
                  "; the archive is damaged): " + windowsPath_;
    if (writer_) {
        writerIo_->freeze();
        zipClose(writer_, nullptr);
        writer_ = nullptr;
    }
    writerIo_.reset();
    directorySpill_ = nullptr;
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
    int e = 0;
    if (!EnsureZip64EndRecord(hostPath_, entries_.size(), &e)) {
        writerIo_->noteErrno(e);
        failWriter(QStringLiteral("writing the ZIP64 end record failed"));
    }
    writerIo_.reset();
    directorySpill_ = nullptr;
    // Every entry's header and the directory are this process's own writing.
    ZipArchiveReader::RememberWhole(hostPath_);
}

void ZipArchiveState::addFile(const QString& windowsPath, int level, bool storePath, bool overwrite,
                              const QString& storedAs) {
    requireOpen();
    if (level < 0 || level > 9)
        vb::Raise(vb::errInvalidCall, QStringLiteral("Compression level must be 0 to 9"));
    const QString name = entryNameFor(storedAs.isEmpty() ? windowsPath : storedAs, storePath);
    // The name's own bytes, as the file has it: flagged as UTF-8 only when
    // it is UTF-8 (a name of other bytes is stored raw, without the flag).
    const QByteArray rawName = HostBytes(name);
    const quint32 nameFlags = IsUtf8(rawName) ? kFlagUtf8 : 0;
    if (name.isEmpty() || rawName.size() > 0xFFFF)
        raiseFor(vb::errBadFileNameOrNumber, windowsPath);
    // The source is opened first: a file that cannot be read leaves the archive untouched.
    // A file read ahead comes with what its worker found (its path was
    // mapped when it was queued); any other is mapped and read here.
    std::unique_ptr<DeflatedFile> ahead = ahead_ ? ahead_->take(windowsPath, level) : nullptr;
    SourceFile src;
    struct stat st {};
    if (ahead) {
        if (ahead->openErrno)
            raiseErrno(ahead->openErrno, windowsPath);
        st = ahead->st;
    } else {
        const QString host = ToHost(windowsPath);
        if (host.isEmpty())
            raiseFor(vb::errPathNotFound, windowsPath);
        src.fd = OpenSourceFile(encodedHost(host));
        if (src.fd < 0)
            raiseErrno(errno, windowsPath);
        if (::fstat(src.fd, &st) != 0)
            raiseErrno(errno, windowsPath);
    }
    if (!S_ISREG(st.st_mode))
        raiseFor(vb::errPathFileAccess, windowsPath, QStringLiteral("not a file"));
    if (!selfKnown_) {
        // The archive keeps its identity while it is open (it is only
        // replaced at Close), so it is looked up once.
        struct stat self {};
        if (::stat(encodedHost(hostPath_).constData(), &self) == 0) {
            selfDev_ = self.st_dev;
            selfIno_ = self.st_ino;
            selfKnown_ = true;
        }
    }
    if (selfKnown_ && selfDev_ == st.st_dev && selfIno_ == st.st_ino)
        raiseFor(vb::errPathFileAccess, windowsPath, QStringLiteral("the archive cannot hold itself"));
    if (!ahead)
        ::posix_fadvise(src.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    openWriter();

    const bool zip64 = FileDeflater::Zip64For(st.st_size);
    const int method = FileDeflater::MethodFor(level, st.st_size);
    zip_fileinfo zfi{};
    zfi.dosDate = dosFromTime(st.st_mtim.tv_sec);
    quint32 dosAttributes = 0;
    if (!(st.st_mode & S_IWUSR))
        dosAttributes |= 0x01;  // read-only
    // The mapping keeps a name's first character, so the entry's name tells.
    if (name[name.lastIndexOf('/') + 1] == '.')
        dosAttributes |= 0x02;  // hidden
    zfi.external_fa = (quint32(st.st_mode & 0xFFFF) << 16) | dosAttributes;
    const QByteArray stamp = timestampField(st.st_mtim.tv_sec);

    if (zipOpenNewFileInZip4_64(writer_, rawName.constData(), &zfi, stamp.constData(), uInt(stamp.size()),
                                stamp.constData(), uInt(stamp.size()), nullptr, method, level, 1, -MAX_WBITS,
                                8, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix, nameFlags, zip64 ? 1 : 0) != ZIP_OK)
        failWriter(QStringLiteral("writing a local header failed"));

    // The entry is raw and its checksum is known: where minizip lets its
    // count be kept here, the data goes straight to the archive file.
    const bool past = ZipEntryBytes::CanWritePast(writer_, writerIo_->writingStream());
    const std::function<void()>& whileAdding = WhileAdding();
    auto put = [&](const unsigned char* data, size_t n) {
        if (whileAdding)
            whileAdding();
        if (past) {
            if (!writerIo_->writeThrough(data, n))
                failWriter(QStringLiteral("writing compressed data failed"));
            ZipEntryBytes::Count(writer_, n);
        } else if (zipWriteInFileInZip(writer_, data, unsigned(n)) != ZIP_OK) {
            failWriter(QStringLiteral("writing compressed data failed"));
        }
        return true;
    };
    FileDeflater::Result read;
    if (ahead && ahead->spillFd >= 0) {
        read = ahead->result;
        std::vector<unsigned char> block(kIoBlock);
        for (quint64 at = 0; at < read.csize;) {
            const ssize_t got = ::pread(ahead->spillFd, block.data(), size_t(std::min<quint64>(kIoBlock, read.csize - at)),
                                        off_t(at));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                failWriter(QStringLiteral("reading the deflated data back failed"));
            put(block.data(), size_t(got));
            at += quint64(got);
        }
    } else if (ahead && ahead->stream) {
        // Kept as it is: the pieces are written as the worker reads them.
        StoredPiece piece;
        while (ahead_->nextPiece(*ahead, &piece)) {
            put(piece.bytes.get(), piece.size);
            ahead_->givePiece(std::move(piece));
        }
        read = ahead->result;
        if (read.gaveUp && !read.readErrno)
            read.readErrno = EIO;  // never taken for the whole file
    } else if (ahead) {
        read = ahead->result;
        const std::vector<unsigned char>& data = ahead->data;
        for (size_t at = 0; at < data.size(); at += kIoBlock)
            put(data.data() + at, std::min(kIoBlock, data.size() - at));
    } else {
        read = deflater_.run(src.fd, method, level, zip64, put);
        if (read.deflateFailed)
            failWriter(QStringLiteral("compression failed"));
    }
    const uLong crc = read.crc;
    const quint64 usize = read.usize;
    const quint64 csize = read.csize;
    const int readErrno = read.readErrno;
    // A file that could not be read to its end is closed with a wrong
    // checksum, so that no reader takes the part as the whole; it is never
    // listed and is dropped when the archive is closed.
    const bool failed = readErrno != 0;
    const uLong storedCrc = failed ? (crc ^ 0xFFFFFFFFul) : crc;
    if (zipCloseFileInZipRaw64(writer_, usize, storedCrc) != ZIP_OK)
        failWriter(QStringLiteral("finishing an entry failed"));
    if (directorySpill_ && ++entriesSinceSpill_ >= kEntriesPerSpill) {
        directorySpill_->move(writer_);
        entriesSinceSpill_ = 0;
    }

    ZipEntryHead r;
    r.flags = quint16(nameFlags);
    r.dosDate = quint32(zfi.dosDate);
    r.method = quint16(method);
    r.versionMadeBy = quint16(kMadeByUnix);
    r.externalAttributes = quint32(zfi.external_fa);
    r.crc = quint32(storedCrc);
    r.compressedSize = csize;
    r.uncompressedSize = usize;
    r.unixTime = st.st_mtim.tv_sec;
    r.time = ZipEntryHead::Time::Unix;   // the local date is made from the seconds when an item asks for it
    r.failed = failed;
    indexNames();
    const int index = int(entries_.size());
    earlierSameName_.push_back(-1);
    if (!failed) {
        const quint32 hash = ZipNameIndex::hashOf(name);
        const int newest = liveByName_.find(entries_, name, hash);
        if (newest >= 0) {
            if (overwrite) {
                for (int i = newest; i >= 0; i = earlierSameName_[size_t(i)]) {
                    bool& replaced = entries_.head(size_t(i)).replaced;
                    replaced_ += replaced ? 0 : 1;
                    replaced = true;
                }
            } else {
                earlierSameName_.back() = newest;
            }
        }
        visible_.push_back(index);
        entries_.append(r, rawName);
        liveByName_.set(entries_, name, hash, index);
    } else {
        entries_.append(r, rawName);
    }
    if (failed)
        raiseErrno(readErrno, windowsPath, vb::errDeviceIO);
}

namespace {
struct ReadAheadSettings {
    int threads;
    size_t bound = size_t(128) << 20;
};
ReadAheadSettings& readAheadSettings() {
    static ReadAheadSettings s = [] {
        ReadAheadSettings r{};
        const int cores = int(std::thread::hardware_concurrency());
        r.threads = std::clamp(cores - 1, 0, 8);
        bool ok = false;
        const int forced = qEnvironmentVariableIntValue("VAULTORA_DEFLATE_THREADS", &ok);
        if (ok)
            r.threads = std::clamp(forced, 0, 64);
        return r;
    }();
    return s;
}
}  // namespace

void ZipArchiveState::setReadAhead(int threads, size_t boundBytes) {
    readAheadSettings() = ReadAheadSettings{std::max(threads, 0), boundBytes};
}

int ZipArchiveState::readAheadThreads() { return readAheadSettings().threads; }

void ZipArchiveState::prefetch(const QStringList& windowsPaths, int level, const QStringList& hostPaths) {
    const ReadAheadSettings& s = readAheadSettings();
    if (!open_ || s.threads <= 0 || level < 0 || level > 9) {
        ahead_.reset();
        return;
    }
    QList<QPair<QString, QByteArray>> files;
    files.reserve(windowsPaths.size());
    const bool hostsGiven = hostPaths.size() == windowsPaths.size();
    for (qsizetype i = 0; i < windowsPaths.size(); ++i) {
        const QString& p = windowsPaths.at(i);
        const QString host = hostsGiven && !hostPaths.at(i).isEmpty() ? hostPaths.at(i) : ToHost(p);
        if (!host.isEmpty())
            files.append({p, encodedHost(host)});
    }
    if (files.isEmpty())
        return;
    // The workers start with the first files to read.
    if (!ahead_)
        ahead_ = std::make_unique<DeflateAhead>(s.bound, s.threads,
                                                encodedHost(QFileInfo(hostPath_).absolutePath()));
    ahead_->enqueue(files, level);
}

// Drop replaced and unfinished entries: copy the others, still compressed,
// into a new file beside the archive, which then takes the archive's place.
void ZipArchiveState::compact() {
    bool anyDead = false;
    for (size_t i = 0; i < entries_.size() && !anyDead; ++i)
        anyDead = entries_.head(i).replaced || entries_.head(i).failed;
    if (!anyDead)
        return;
    readDirectory(true);  // the offsets of this session's entries

    const QFileInfo fi(hostPath_);
    QByteArray tmpl = encodedHost(fi.absolutePath() + "/.vaultora-zip-XXXXXX");
    const int tfd = ::mkstemp(tmpl.data());
    if (tfd < 0)
        raiseErrno(errno, windowsPath_);
    // The archive keeps its own mode when it is written anew.
    struct stat old {};
    if (::stat(encodedHost(hostPath_).constData(), &old) == 0)
        ::fchmod(tfd, old.st_mode & 07777);
    ::close(tfd);
    struct TempGuard {
        QByteArray path;
        bool keep = false;
        ~TempGuard() {
            if (!keep)
                ::unlink(path.constData());
        }
    } guard{tmpl};

    ZipFileIo wio;
    wio.setSyncOnClose(true);
    zipFile out = zipOpen2_64(tmpl.constData(), APPEND_STATUS_CREATE, nullptr, wio.functions());
    if (!out)
        raiseErrno(wio.lastErrno(), windowsPath_);
    QString failure;
    int failNumber = errInvalidFileFormat;
    quint64 copied = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_.head(i).replaced || entries_.head(i).failed)
            continue;
        const ZipEntryRecord r = entries_.record(i);
        QByteArray localExtra;
        if (!reader_->localExtra(r, &localExtra)) {
            failure = reader_->failure().detail;
            failNumber = reader_->failure().number;
            break;
        }
        zip_fileinfo zfi{};
        zfi.dosDate = r.dosDate;
        zfi.internal_fa = r.internalAttributes;
        zfi.external_fa = r.externalAttributes;
        const bool big = r.uncompressedSize >= 0xFFFFFFFFull || r.compressedSize >= 0xFFFFFFFFull;
        // minizip sets the level bits of the flags from the level again.
        const quint32 bits = (r.flags & kFlagLevelBits) >> 1;
        const int level = bits == 1 ? 9 : bits == 2 ? 2 : bits == 3 ? 1 : 6;
        const uLong flagBase = r.flags & ~uLong(kFlagLevelBits | kFlagDataDescriptor);
        if (zipOpenNewFileInZip4_64(out, r.rawName.constData(), &zfi, localExtra.constData(), uInt(localExtra.size()),
                                    r.centralExtra.constData(), uInt(r.centralExtra.size()),
                                    r.fileComment.isEmpty() ? nullptr : r.fileComment.constData(), int(r.method),
                                    level, 1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, r.versionMadeBy,
                                    flagBase, big ? 1 : 0) != ZIP_OK) {
            failure = QStringLiteral("writing failed");
            failNumber = VbNumberForErrno(wio.lastErrno(), vb::errDeviceIO);
            break;
        }
        bool writeFailed = false;
        const bool read = reader_->readRaw(r, [&](const char* data, size_t n) {
            if (zipWriteInFileInZip(out, data, unsigned(n)) != ZIP_OK) {
                writeFailed = true;
                return false;
            }
            return true;
        });
        const bool closed = zipCloseFileInZipRaw64(out, r.uncompressedSize, r.crc) == ZIP_OK;
        if (writeFailed || (read && !closed)) {
            failure = QStringLiteral("writing failed");
            failNumber = VbNumberForErrno(wio.lastErrno(), vb::errDeviceIO);
            break;
        }
        if (!read) {
            failure = reader_->failure().detail;
            failNumber = reader_->failure().number;
            break;
        }
        ++copied;
    }
    closeReader();
    if (failure.isEmpty()) {
        if (zipClose(out, comment_.constData()) != ZIP_OK) {
            failure = QStringLiteral("writing failed");
            failNumber = VbNumberForErrno(wio.lastErrno(), vb::errDeviceIO);
        }
    } else {
        wio.freeze();
        zipClose(out, nullptr);
    }
    int e = 0;
    if (failure.isEmpty() && !EnsureZip64EndRecord(platform::HostText(tmpl), copied, &e)) {
        failure = QStringLiteral("writing failed");
        failNumber = VbNumberForErrno(e, vb::errDeviceIO);
    }
    if (failure.isEmpty() && ::rename(tmpl.constData(), encodedHost(hostPath_).constData()) != 0) {
        failure = QStringLiteral("replacing the archive failed");
        failNumber = VbNumberForErrno(errno);
    }
    // On failure the archive itself stays whole: it still lists the replaced entries.
    if (!failure.isEmpty())
        raiseFor(failNumber, windowsPath_, "dropping replaced entries: " + failure);
    guard.keep = true;
}

void ZipArchiveState::extract(int physical, quint64 session, const QString& windowsFolder, const KnownLinks* known) {
    if (!open_ || session != session_)
        vb::Raise(vb::errObjectNotSet, QStringLiteral("The archive of this entry is closed"));
    const ZipEntryRecord r = entries_.record(size_t(physical));
    const QStringList parts = safeParts(r.name);
    if (parts.isEmpty())
        raiseFor(vb::errBadFileNameOrNumber, r.name, QStringLiteral("entry name leaves the target folder"));
    // A link stored by another program is not made: it could lead the
    // entries after it anywhere.
    if ((r.versionMadeBy >> 8) == 3 && ((r.externalAttributes >> 16) & S_IFMT) == S_IFLNK)
        raiseFor(vb::errBadFileNameOrNumber, r.name, QStringLiteral("the entry is a symbolic link, which is not restored"));

    QString folder = windowsFolder;
    while (folder.endsWith('\\') || folder.endsWith('/'))
        folder.chop(1);
    if (folder.isEmpty())
        raiseFor(vb::errPathNotFound, windowsFolder);
    const QString windowsTarget = folder + "\\" + parts.join('\\');
    // The stored name is the file's own: below the chosen folder it is
    // taken exactly, so "Case.txt" and "case.txt" are two files.
    const QString hostRoot = ToHost(folder + "\\");
    const QString hostTarget = ToHostBelow(folder + "\\", parts.join('\\'));
    if (hostRoot.isEmpty() || hostTarget.isEmpty())
        raiseFor(vb::errPathNotFound, windowsTarget);
    const QString rootPrefix = hostRoot.endsWith('/') ? hostRoot : hostRoot + "/";
    if (!hostTarget.startsWith(rootPrefix))
        raiseFor(vb::errBadFileNameOrNumber, r.name, QStringLiteral("entry name leaves the target folder"));

    // The folder is opened part by part, through the links the user had
    // there before the restore only, and written into by that handle.
    const bool isFolder = r.name.endsWith('/') || r.name.endsWith('\\');
    const QString hostParent = isFolder ? hostTarget : QFileInfo(hostTarget).absolutePath();
    KnownLinks linksNow;
    if (!known) {
        linksNow.note(hostRoot, hostParent);
        known = &linksNow;
    }
    QString refused;
    const int parentFd = known->openFolder(hostRoot, hostParent, &refused);
    if (!refused.isEmpty())
        raiseFor(vb::errBadFileNameOrNumber, r.name, refused);
    if (parentFd < 0)
        raiseFor(vb::errPathNotFound, windowsTarget);
    struct FolderFd {
        int fd;
        ~FolderFd() { ::close(fd); }
    } parent{parentFd};
    if (isFolder)
        return;

    commitWriter();
    if (!reader_)
        readDirectory(true);
    const ZipEntryRecord entry = entries_.record(size_t(physical));

    const QByteArray target = encodedHost(hostTarget.mid(hostTarget.lastIndexOf('/') + 1));
    ExtractTarget out(parent.fd);
    if (!out.open())
        raiseErrno(out.error(), windowsTarget);
    int writeErr = 0;
    const bool ok = reader_->readData(entry, [&](const char* data, size_t n) {
        return writeAll(out.fd(), data, n, &writeErr);
    });
    if (ok) {
        // A stored Unix mode is the file's own, as the user's umask lets it be.
        mode_t mode = 0666 & ~processUmask();
        const quint32 unixMode = entry.externalAttributes >> 16;
        const quint32 type = unixMode & S_IFMT;
        if ((entry.versionMadeBy >> 8) == 3 && (unixMode & 0777) != 0 && (type == S_IFREG || type == 0))
            mode = unixMode & 0777 & ~processUmask();
        if (::fchmod(out.fd(), mode) != 0)
            writeErr = errno;
        if (!writeErr && entry.hasModified()) {
            struct timespec times[2] = {{0, UTIME_NOW}, {time_t(entry.modifiedSecs()), 0}};
            ::futimens(out.fd(), times);
        }
        if (!writeErr && ::fdatasync(out.fd()) != 0)
            writeErr = errno;
    }
    if (ok && !writeErr && !out.commit(target))
        writeErr = (out.error() == EISDIR || out.error() == ENOTEMPTY || out.error() == EEXIST) ? EISDIR : out.error();
    if (ok && !writeErr)
        return;
    if (writeErr)
        raiseErrno(writeErr, windowsTarget);
    raiseFor(reader_->failure().number, windowsPath_, reader_->failure().detail);
}

}  // namespace platform

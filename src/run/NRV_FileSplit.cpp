// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/NRV_FileSplit.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/HostNames.h"
#include "common/NRV_File_Dir.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/PathResolver.h"
#include "vb/Cp1252.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"

namespace {

const QString kModule = QStringLiteral(" of Modul NRV_FileSplit");

// Bytes moved per read: a piece may be hundreds of megabytes, the buffer
// need not be.
constexpr qint64 kChunk = qint64(8) << 20;

// A file descriptor that is closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes and reports the result of close (a late write error shows here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// Reads up to `n` bytes; fewer only at the end of the file. Raises on a
// read error.
qint64 readUpTo(int fd, char* buf, qint64 n) {
    qint64 got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, buf + got, size_t(n - got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            platform::RaiseErrno(errno, true);
        }
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

void writeAll(int fd, const char* buf, qint64 n) {
    qint64 done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd, buf + done, size_t(n - done));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            platform::RaiseErrno(errno, false);
        }
        done += w;
    }
}

// A file written under a hidden temporary name in its folder and renamed onto
// its name once complete; removed again when it is not committed.
class PendingFile {
public:
    PendingFile(const QString& folderHost, const QString& finalHost) : final_(finalHost) {
        tmpl_ = platform::HostBytes(folderHost) + "/.vaultora-piece-XXXXXX";
        fd_.reset(::mkostemp(tmpl_.data(), O_CLOEXEC));
        if (fd_.get() < 0) {
            tmpl_.clear();
            platform::RaiseErrno(errno, false);
        }
        ::fchmod(fd_.get(), 0666 & ~currentUmask());
    }
    ~PendingFile() {
        fd_.reset();
        if (!tmpl_.isEmpty())
            ::unlink(tmpl_.constData());
    }
    int fd() const { return fd_.get(); }
    // Flushes to disk, closes and renames onto the final name.
    void commit() {
        if (::fsync(fd_.get()) != 0 && errno != EINVAL)
            platform::RaiseErrno(errno, false);
        if (!fd_.close())
            platform::RaiseErrno(errno, false);
        if (::rename(tmpl_.constData(), platform::HostBytes(final_).constData()) != 0)
            platform::RaiseErrno(errno, false);
        tmpl_.clear();
        platform::NoteEntryCreated(final_);
    }

private:
    static mode_t currentUmask() {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }
    QString final_;
    QByteArray tmpl_;
    Fd fd_;
};

QByteArray toAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const int b = vb::UnicodeToCp1252(c);
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

}  // namespace

QByteArray RejoinBatchText(const QString& name, qint32 pieces) {
    const QString q = QStringLiteral("\"");
    const QString crlf = QStringLiteral("\r\n");
    auto piece = [&](qint32 i) { return q + name + QLatin1Char('.') + QString::number(i) + q; };
    QString text;
    text += QStringLiteral("@ECHO OFF") + crlf;
    text += QStringLiteral("ECHO Joining Files...") + crlf;
    text += QStringLiteral("IF EXIST ") + q + name + q + QStringLiteral(" DEL ") + q + name + q + crlf;
    if (pieces >= 2) {
        QString copy = QStringLiteral("COPY /B ") + piece(1);
        for (qint32 i = 2; i <= pieces; ++i)
            copy += QLatin1Char('+') + piece(i);
        text += copy + crlf;
        for (qint32 i = 2; i <= pieces; ++i)
            text += QStringLiteral("DEL ") + piece(i) + crlf;
    }
    text += QStringLiteral("REN ") + piece(1) + QLatin1Char(' ') + q + name + q + crlf;
    text += QStringLiteral("DEL ") + q + name + QStringLiteral(".bat") + q + crlf;
    text += QStringLiteral("ECHO Done!") + crlf;
    return toAnsi(text);
}

bool SplitFiles(const QString& source, const QString& destFolder, qint32 pieceSize) {
    vb::Handler h(QStringLiteral("SplitFiles") + kModule);
    return h.Guard(false, [&] {
        h.Erl = 1;
        if (pieceSize < 1)
            vb::Raise(vb::errInvalidCall);
        const QString name = DetermineFilename(source);
        const QString sourcePath = DetermineDirectory(source) + name;

        // The source is opened for reading only: a file that is gone is not
        // created again, and a read-only file can be split as well.
        h.Erl = 2;
        const QString sourceHost = platform::HostPathOrRaise(sourcePath);
        if (platform::StatHost(sourceHost).kind != platform::EntryKind::File)
            platform::RaiseMissing(sourceHost);
        Fd in(::open(platform::HostBytes(sourceHost).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
        if (in.get() < 0)
            platform::RaiseErrno(errno, true);

        std::vector<char> buffer(size_t(std::min<qint64>(pieceSize, kChunk)));
        const qint64 chunk = qint64(buffer.size());

        h.Erl = 3;
        qint64 got = readUpTo(in.get(), buffer.data(), std::min<qint64>(chunk, pieceSize));

        h.Erl = 4;
        CreateDirectoryStruct(destFolder);
        const QString folderHost = platform::HostPathOrRaise(destFolder);
        if (platform::StatHost(folderHost).kind != platform::EntryKind::Folder)
            vb::Raise(vb::errPathNotFound);

        qint32 k = 1;
        while (got > 0) {
            h.Erl = 5;
            const QString pieceName = name + QLatin1Char('.') + QString::number(k);
            const QString piecePath = destFolder + QLatin1Char('\\') + pieceName;
            if (FileExists(piecePath))
                platform::Kill(piecePath);

            h.Erl = 6;
            PendingFile piece(folderHost, folderHost + QLatin1Char('/') + pieceName);
            qint64 inPiece = 0;
            while (got > 0) {
                writeAll(piece.fd(), buffer.data(), got);
                inPiece += got;
                if (inPiece >= pieceSize) {
                    got = 0;
                    break;
                }
                got = readUpTo(in.get(), buffer.data(), std::min<qint64>(chunk, pieceSize - inPiece));
            }
            h.Erl = 7;
            piece.commit();

            h.Erl = 8;
            got = readUpTo(in.get(), buffer.data(), std::min<qint64>(chunk, pieceSize));
            if (k == 32767)
                vb::Raise(vb::errOverflow);   // the piece number is a 16-bit integer
            ++k;
        }
        in.reset();

        h.Erl = 9;
        const QString batchName = name + QStringLiteral(".bat");
        const QByteArray batch = RejoinBatchText(name, k - 1);
        PendingFile bat(folderHost, folderHost + QLatin1Char('/') + batchName);
        writeAll(bat.fd(), batch.constData(), batch.size());
        bat.commit();
        return true;
    });
}

QString DetermineDirectory(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

QString DetermineFilename(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? path : path.mid(cut + 1);
}

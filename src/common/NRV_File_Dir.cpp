// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_File_Dir.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>


#include "common/NRV_ErrorLog.h"
#include "platform/HostFiles.h"
#include "platform/HostNames.h"
#include "platform/ScriptingFileSystem.h"
#include "vb/Clock.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {
const QString kModule = QStringLiteral(" of Modul NRV_File_Dir");

QString Label(const char* function) { return QString::fromLatin1(function) + kModule; }

const platform::ScriptingFileSystem& Fso() {
    static const platform::ScriptingFileSystem fso;
    return fso;
}

// Only files count: a listing may also bring folders (and "." / "..").
bool IsFolder(const platform::FindRecord& r) { return (r.attributes & platform::vbDirectory) != 0; }

// A Windows name never holds a wildcard; a host name may. Such a name must not
// be handed to a wildcard-aware call as if it were one file.
bool HasWildcard(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

}  // namespace

bool DirExists(const QString& sDir) {
    vb::Handler h(Label("DirExists"));
    bool result = false;
    h.Try([&] { result = Fso().FolderExists(sDir); });
    // Asked for every level of a path, and for every folder of a run: the
    // events run at most once a frame.
    vb::DoEventsThrottled();
    return result;
}

bool FileExists(QString& sFile) {
    vb::Handler h(Label("FileExists"));
    bool result = false;
    const bool ok = h.Try([&] {
        sFile = vb::Trim(sFile);
        if (sFile.isEmpty() || sFile.endsWith(QLatin1Char('\\')))
            return;
        const int mask = platform::vbReadOnly | platform::vbHidden | platform::vbSystem;
        for (const platform::FindRecord& r : platform::FindEntries(sFile, mask)) {
            if (!IsFolder(r)) {
                result = true;
                break;
            }
        }
    });
    if (!ok) {
        WriteLog(sFile);
        return false;
    }
    return result;
}

bool FileExists(const QString& sFile) {
    QString copy = sFile;
    return FileExists(copy);
}

QString sFixDirString(const QString& sDir) {
    if (sDir.endsWith(QLatin1Char('\\')))
        return sDir;
    return sDir + QLatin1Char('\\');
}

QString sParseLastDir(QString& sPath) {
    if (sPath.endsWith(QLatin1Char('\\')))
        sPath.chop(1);
    const int pos = sPath.lastIndexOf(QLatin1Char('\\'));
    return pos < 0 ? sPath : sPath.mid(pos + 1);
}

QString sParseLastDir(const QString& sPath) {
    QString copy = sPath;
    return sParseLastDir(copy);
}

QString sParseFile(const QString& sPath) {
    QString name = sPath.mid(sPath.lastIndexOf(QLatin1Char('\\')) + 1);
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

QString sParsePath(const QString& sPath) {
    if (sPath.size() < 4)
        return sFixDirString(sPath);
    const int pos = sPath.lastIndexOf(QLatin1Char('\\'));
    return pos < 0 ? QString() : sPath.left(pos);
}

void CreateDirectoryStruct(QString sPath) {
    vb::Handler h(Label("CreateDirectoryStruct"));
    const bool ok = h.Try([&] {
        sPath = sFixDirString(sPath);
        if (DirExists(sPath))
            return;
        // Where the first folder to build begins (0-based).
        qsizetype begin = 3;  // after X:\ .
        if (sPath.startsWith(QLatin1String("\\\\"))) {
            // \\server\share\ is taken as existing.
            const qsizetype serverEnd = sPath.indexOf(QLatin1Char('\\'), 2);
            const qsizetype shareEnd = serverEnd < 0 ? -1 : sPath.indexOf(QLatin1Char('\\'), serverEnd + 1);
            if (shareEnd < 0)
                return;
            begin = shareEnd + 1;
        }
        // The folders along the path, parents first; the whole path is the last.
        QStringList levels;
        for (qsizetype pos = begin; pos < sPath.size();) {
            const qsizetype next = sPath.indexOf(QLatin1Char('\\'), pos);
            if (next < 0)
                break;
            levels << sPath.left(next);
            pos = next + 1;
        }
        // Looked at from the deepest parent up to the first that exists (a
        // new folder in a deep tree costs a look or two, not one per level),
        // then built from there down.
        qsizetype first = levels.size() - 1;   // the first level to build
        while (first > 0 && !DirExists(levels.at(first - 1)))
            --first;
        for (qsizetype i = std::max<qsizetype>(first, 0); i < levels.size(); ++i)
            if (levels.at(i).size() > 3)
                Fso().CreateFolder(levels.at(i));
    });
    if (!ok)
        WriteLog(sPath);
}

platform::FindRecord Findfile(const QString& sPath) {
    vb::Handler h(Label("Findfile"));
    platform::FindRecord found;
    found.attributes = 0;
    found.size = 0;
    found.name = QStringLiteral("Error");
    h.Try([&] {
        const int all = platform::vbReadOnly | platform::vbHidden | platform::vbSystem |
                        platform::vbDirectory | platform::vbArchive;
        const auto entries = platform::FindEntries(sPath, all);
        if (!entries.empty())
            found = entries.front();
    });
    return found;
}

bool IsValidFilename(QString sName) {
    vb::Handler h(Label("IsValidFilename"));
    return h.Guard(false, [&] {
        if (sName.isEmpty() || sName == QLatin1String("."))
            return false;
        static const QString invalid = QStringLiteral("\\/:*?<>|\"");
        QString rest = sName;
        const qsizetype colon = sName.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            if (colon != 1 || sName.size() < 4)
                return false;
            const QChar drive = sName.at(0);
            const bool letter = (drive >= QLatin1Char('A') && drive <= QLatin1Char('Z')) ||
                                (drive >= QLatin1Char('a') && drive <= QLatin1Char('z'));
            if (!letter || sName.at(2) != QLatin1Char('\\'))
                return false;
            rest = sName.mid(3);
        }
        for (const QString& part : rest.split(QLatin1Char('\\'))) {
            if (part.size() > 255)
                return false;
            for (const QChar c : part) {
                if (invalid.contains(c, Qt::CaseInsensitive))
                    return false;
            }
        }
        return true;
    });
}

namespace {

struct ReadOnlyFile {
    int fd = -1;
    ~ReadOnlyFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

// n bytes at `at`, all of them, or false.
bool readFully(int fd, char* out, size_t n, qint64 at) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, out + done, n - done, off_t(at + qint64(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

// Whether the bytes [from, to) of both files are the same; a difference, a
// short read or an error sets `differ`, which also ends the other parts.
void compareRange(int one, int two, qint64 from, qint64 to, std::atomic<bool>& differ) {
    constexpr qint64 block = qint64(256) << 10;
    std::vector<char> a(size_t(std::min(block, to - from))), b(a.size());
    for (qint64 at = from; at < to && !differ.load(std::memory_order_relaxed);) {
        const size_t n = size_t(std::min(block, to - at));
        if (!readFully(one, a.data(), n, at) || !readFully(two, b.data(), n, at) ||
            std::memcmp(a.data(), b.data(), n) != 0) {
            differ = true;
            return;
        }
        at += qint64(n);
    }
}

}  // namespace

bool compare_files(QString& sFile1, QString& sFile2) {
    vb::Handler h(Label("compare_files"));
    bool result = false;
    h.Try([&] {
        if (!FileExists(sFile1) || !FileExists(sFile2))
            return;
        ReadOnlyFile one, two;
        struct stat st1 {}, st2 {};
        for (auto [file, path, st] : {std::tuple{&one, &sFile1, &st1}, std::tuple{&two, &sFile2, &st2}}) {
            const QByteArray host = platform::HostBytes(platform::HostPathOrRaise(*path));
            file->fd = ::open(host.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            if (file->fd < 0 || ::fstat(file->fd, st) != 0 || !S_ISREG(st->st_mode))
                return;
        }
        const qint64 length = st1.st_size;
        if (length != st2.st_size)
            return;
        // A large file (an archive of a run is compared whole) is compared
        // in a few parts at once: the reads of the page cache, not the
        // comparison, take the time.
        constexpr qint64 parallelFrom = qint64(16) << 20;
        const int parts = length >= parallelFrom ? std::clamp(int(std::thread::hardware_concurrency()), 1, 4) : 1;
        std::atomic<bool> differ{false};
        std::vector<std::thread> helpers;
        for (int i = 1; i < parts; ++i) {
            const qint64 from = length * i / parts, to = length * (i + 1) / parts;
            try {
                helpers.emplace_back([&, from, to] { compareRange(one.fd, two.fd, from, to, differ); });
            } catch (const std::system_error&) {
                compareRange(one.fd, two.fd, from, to, differ);  // no thread to be had: in turn
            }
        }
        compareRange(one.fd, two.fd, 0, length / parts, differ);
        for (std::thread& t : helpers)
            t.join();
        // Only a comparison that read every byte counts as equal: an error
        // while reading (a file locked or shrunk meanwhile) leaves false.
        result = !differ;
    });
    return result;
}

bool compare_files(const QString& sFile1, const QString& sFile2) {
    QString a = sFile1;
    QString b = sFile2;
    return compare_files(a, b);
}

bool DelDir(QString sDir) {
    vb::Handler h(Label("DelDir"));
    bool result = false;
    h.Try([&] {
        if (sDir.endsWith(QLatin1Char('\\')))
            sDir.chop(1);
        if (!Fso().FolderExists(sDir))
            return;
        Fso().DeleteFolder(sDir, true);
        result = !Fso().FolderExists(sDir);
    });
    vb::DoEvents();
    return result;
}

void DeleteFiles(QString sPattern, qint32 iDays) {
    vb::Handler h(Label("DeleteFiles"));
    QString name;
    const bool ok = h.Try([&] {
        if (sPattern.endsWith(QLatin1String("*.*")))
            return;
        const QString folder = sFixDirString(sParsePath(sPattern));
        const QDate lastDay = vb::Date().addDays(-qint64(iDays));
        for (const platform::FindRecord& r : platform::FindEntries(sPattern, platform::vbNormal)) {
            if (IsFolder(r) || HasWildcard(r.name))
                continue;
            name = r.name;
            QString path = folder + name;
            // Only the calendar day of the last change counts.
            const QDate day = platform::FileDateTime(path).date();
            if (day <= lastDay && FileExists(path))
                platform::Kill(path);
        }
        vb::DoEvents();
    });
    if (!ok) {
        WriteLog(name, sPattern);
        vb::DoEvents();
    }
}

qint32 GetFileCount(QString sPattern) {
    vb::Handler h(Label("GetFileCount"));
    qint32 count = 0;
    h.Try([&] {
        for (const platform::FindRecord& r : platform::FindEntries(sPattern, platform::vbNormal)) {
            if (!IsFolder(r))
                ++count;
        }
    });
    vb::DoEvents();
    return count;
}

qint32 GetAttributes(QString sPath) {
    vb::Handler h(QStringLiteral("GetAttributes of Modul Vaultora_Sub"));
    qint32 result = -1;
    h.Try([&] {
        const quint32 attributes = platform::GetFileAttributes(sPath);
        result = attributes == platform::kInvalidFileAttributes ? -1 : qint32(attributes);
    });
    return result;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_File_Dir.h"

#include <algorithm>
#include <cstring>
#include <vector>


#include "common/NRV_ErrorLog.h"
#include "platform/ScriptingFileSystem.h"
#include "vb/Clock.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
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

bool compare_files(QString& sFile1, QString& sFile2) {
    vb::Handler h(Label("compare_files"));
    bool result = false;
    int no1 = 0;
    int no2 = 0;
    h.Try([&] {
        if (!FileExists(sFile1) || !FileExists(sFile2))
            return;
        no1 = vb::FreeFile();
        vb::Open(sFile1, vb::OpenMode::Binary, no1);
        no2 = vb::FreeFile();
        vb::Open(sFile2, vb::OpenMode::Binary, no2);
        const qint64 length = vb::Lof(no1);
        if (length != vb::Lof(no2))
            return;
        // Blocks of 10000 bytes from the start, the last one shorter; they
        // are read a hundred at a time, one after the other, into the same
        // memory (an archive of a run is compared whole).
        constexpr qint64 block = 10000;
        constexpr qint64 group = 100 * block;
        std::vector<char> one(size_t(std::min(length, group))), two(one.size());
        for (qint64 at = 0; at < length; at += group) {
            const qint64 n = std::min(group, length - at);
            const qint64 position = at == 0 ? 1 : 0;
            if (vb::GetInto(no1, position, one.data(), n) != n || vb::GetInto(no2, position, two.data(), n) != n ||
                std::memcmp(one.data(), two.data(), size_t(n)) != 0)
                return;
        }
        // Only a comparison that read every byte counts as equal: an error
        // while reading (a file locked or shrunk meanwhile) leaves false.
        result = true;
    });
    if (no1)
        vb::Quiet([&] { vb::Close(no1); });
    if (no2)
        vb::Quiet([&] { vb::Close(no2); });
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

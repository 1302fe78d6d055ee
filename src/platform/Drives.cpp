// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <mutex>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include "platform/DriveTable.h"
#include "platform/Paths.h"
#include "vb/Clock.h"

namespace platform {
namespace {

struct LinksRoot {
    std::mutex lock;
    QString path = QStringLiteral("/dev/disk");
};

LinksRoot& linksRoot() {
    static LinksRoot r;
    return r;
}

QString currentLinksRoot() {
    LinksRoot& r = linksRoot();
    std::lock_guard<std::mutex> g(r.lock);
    return r.path;
}

// The names Windows shows for the file systems it knows; others keep the
// host's name.
QString fileSystemName(const QString& t) {
    if (t == QLatin1String("vfat"))
        return QStringLiteral("FAT32");
    if (t == QLatin1String("msdos"))
        return QStringLiteral("FAT");
    if (t == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (t == QLatin1String("ntfs") || t == QLatin1String("ntfs3"))
        return QStringLiteral("NTFS");
    if (t == QLatin1String("iso9660"))
        return QStringLiteral("CDFS");
    if (t == QLatin1String("udf"))
        return QStringLiteral("UDF");
    return t;
}

// udev writes characters that are unsafe in a file name as \xHH.
QString decodeLinkName(const QString& n) {
    QByteArray raw = QFile::encodeName(n);
    QByteArray out;
    for (int i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            const int v = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QString::fromUtf8(out);
}

bool linkIsDevice(const QString& link, const MountEntry& m) {
    struct stat st {};
    const QByteArray lp = QFile::encodeName(link);
    if (m.major != 0 && ::stat(lp.constData(), &st) == 0 && S_ISBLK(st.st_mode) &&
        major(st.st_rdev) == m.major && minor(st.st_rdev) == m.minor)
        return true;
    const QString target = QFileInfo(link).canonicalFilePath();
    return !target.isEmpty() && m.source.startsWith(QLatin1Char('/')) &&
           target == QFileInfo(m.source).canonicalFilePath();
}

// The name of the link in <links root>/<sub> that points at the mount's device.
QString deviceLinkName(const QString& sub, const MountEntry& m) {
    if (!m.source.startsWith(QLatin1Char('/')) && m.major == 0)
        return {};
    QDir dir(currentLinksRoot() + QLatin1Char('/') + sub);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& n : names)
        if (linkIsDevice(dir.filePath(n), m))
            return decodeLinkName(n);
    return {};
}

// A volume serial from a file system UUID: FAT's "ABCD-1234" is the serial
// itself, NTFS's 64-bit number gives its low half, other UUIDs their first
// 32 bits.
quint32 serialFromUuid(const QString& uuid) {
    QString hex = uuid;
    hex.remove(QLatin1Char('-'));
    QString part;
    if (hex.size() == 8)
        part = hex;
    else if (hex.size() == 16)
        part = hex.right(8);
    else if (hex.size() >= 8)
        part = hex.left(8);
    bool ok = false;
    const quint32 v = part.toUInt(&ok, 16);
    return ok ? v : 0;
}

bool sysfsRemovable(unsigned maj, unsigned min) {
    const QString base = QStringLiteral("/sys/dev/block/%1:%2").arg(maj).arg(min);
    for (const QString& p : {base + QStringLiteral("/removable"), base + QStringLiteral("/../removable")}) {
        QFile f(p);
        if (f.open(QIODevice::ReadOnly))
            return f.readAll().trimmed() == "1";
    }
    return false;
}

int driveTypeOf(const MountEntry* m) {
    if (!m)
        return 3;
    if (DriveTable::IsNetworkType(m->fsType))
        return 4;
    if (DriveTable::IsOpticalType(m->fsType) || m->source.startsWith(QLatin1String("/dev/sr")))
        return 5;
    if (m->fsType == QLatin1String("tmpfs") || m->fsType == QLatin1String("ramfs"))
        return 6;
    if (m->major != 0 && sysfsRemovable(m->major, m->minor))
        return 2;
    return 3;
}

// What a mount tells of its drive besides its room (type, file system, share,
// label, serial): a run asks for every source entry, so it is kept, and
// looked up again when the mount table changes, or a second later (a label
// can change without it).
constexpr qint64 kMountFactsMs = 1000;

struct KeptMountFacts {
    std::shared_ptr<const DriveTable> table;
    const MountEntry* mount = nullptr;
    QString linksRoot;
    qint64 at = 0;
    DriveFacts facts;
};

struct MountFactsCache {
    std::mutex lock;
    KeptMountFacts slot[4];
    int next = 0;
};

MountFactsCache& mountFactsCache() {
    static MountFactsCache c;
    return c;
}

bool takeMountFacts(const std::shared_ptr<const DriveTable>& table, const MountEntry* m, DriveFacts* f) {
    const QString links = currentLinksRoot();
    const qint64 now = vb::SteadyMs();
    MountFactsCache& c = mountFactsCache();
    std::lock_guard<std::mutex> g(c.lock);
    for (const KeptMountFacts& k : c.slot) {
        if (k.table == table && k.mount == m && k.linksRoot == links && now >= k.at && now - k.at < kMountFactsMs) {
            f->driveType = k.facts.driveType;
            f->fileSystem = k.facts.fileSystem;
            f->shareName = k.facts.shareName;
            f->volumeName = k.facts.volumeName;
            f->serialNumber = k.facts.serialNumber;
            return true;
        }
    }
    return false;
}

void keepMountFacts(const std::shared_ptr<const DriveTable>& table, const MountEntry* m, const DriveFacts& f) {
    MountFactsCache& c = mountFactsCache();
    const QString links = currentLinksRoot();
    std::lock_guard<std::mutex> g(c.lock);
    KeptMountFacts& k = c.slot[c.next];
    c.next = (c.next + 1) % 4;
    k = {table, m, links, vb::SteadyMs(), f};
}

bool isLetterSpec(const QString& s) {
    return s.size() >= 1 && s[0].unicode() < 128 && s[0].isLetter() &&
           (s.size() == 1 || s[1] == QLatin1Char(':'));
}

}  // namespace

DriveFacts GetDriveFacts(const QString& spec) {
    DriveFacts f;
    const QString s = spec.trimmed();
    const auto table = DriveTable::Current();
    QString hostFolder;

    if (isLetterSpec(s)) {
        const QChar letter = s[0].toUpper();
        f.path = QString(letter) + QLatin1Char(':');
        f.rootFolder = f.path + QLatin1Char('\\');
        const DriveRoot* d = table->drive(letter);
        if (!d) {
            f.driveType = 1;
            return f;
        }
        QString rest = s.mid(2);
        rest.remove(QLatin1Char('\\'));
        rest.remove(QLatin1Char('/'));
        hostFolder = rest.isEmpty() ? d->hostRoot : ToHost(s);
    } else if (s.startsWith(QLatin1String("\\\\")) || s.startsWith(QLatin1String("//"))) {
        QString unc = s.mid(2);
        unc.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const QStringList parts = unc.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        int used = 0;
        const NetworkShare* share = parts.size() >= 2 ? table->shareFor(parts, &used) : nullptr;
        if (!share) {
            f.driveType = 1;
            return f;
        }
        f.path = QStringLiteral("\\\\") + parts.mid(0, used).join(QLatin1Char('\\'));
        f.rootFolder = f.path + QLatin1Char('\\');
        hostFolder = ToHost(s);
    } else {
        hostFolder = ToHost(s);
        const QString w = ToWindows(hostFolder);
        if (hostFolder.isEmpty() || w.size() < 2 || w[1] != QLatin1Char(':')) {
            f.driveType = 1;
            return f;
        }
        f.path = w.left(2);
        f.rootFolder = f.path + QLatin1Char('\\');
    }

    struct statvfs sv {};
    struct stat st {};
    const QByteArray hp = QFile::encodeName(hostFolder);
    if (hostFolder.isEmpty() || ::stat(hp.constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        ::statvfs(hp.constData(), &sv) != 0) {
        f.driveType = 2;
        return f;
    }
    f.isReady = true;
    f.totalSize = qint64(sv.f_blocks) * qint64(sv.f_frsize);
    f.freeSpace = qint64(sv.f_bfree) * qint64(sv.f_frsize);
    f.availableSpace = qint64(sv.f_bavail) * qint64(sv.f_frsize);

    QString real = QFileInfo(hostFolder).canonicalFilePath();
    if (real.isEmpty())
        real = hostFolder;
    const MountEntry* m = table->mounts().holding(real);
    if (m && takeMountFacts(table, m, &f))
        return f;
    f.driveType = driveTypeOf(m);
    if (m) {
        f.fileSystem = fileSystemName(m->fsType);
        const QStringList unc = DriveTable::UncPartsOf(*m);
        if (!unc.isEmpty())
            f.shareName = QStringLiteral("\\\\") + unc.join(QLatin1Char('\\'));
        f.volumeName = deviceLinkName(QStringLiteral("by-label"), *m);
        f.serialNumber = serialFromUuid(deviceLinkName(QStringLiteral("by-uuid"), *m));
        keepMountFacts(table, m, f);
    }
    return f;
}

QStringList DriveLetters() {
    QStringList out;
    const auto table = DriveTable::Current();
    for (const DriveRoot& d : table->drives())
        out << QString(d.letter) + QLatin1Char(':');
    return out;
}

QString DriveRootHost(QChar letter) {
    const auto table = DriveTable::Current();
    const DriveRoot* d = table->drive(letter);
    return d ? d->hostRoot : QString();
}

QString DriveMeaning(QChar letter) {
    const QString root = DriveRootHost(letter);
    if (root.isEmpty())
        return root;
    if (QDir(root) == QDir(QDir::homePath()))
        return QStringLiteral("home");
    return root;
}

bool GetDiskFreeSpaceEx(const QString& windowsPath, qint64* freeToCaller, qint64* totalBytes,
                        qint64* totalFree) {
    qint64 a = 0, t = 0, fr = 0;
    const QString host = ToHost(windowsPath);
    struct statvfs sv {};
    const QByteArray hp = QFile::encodeName(host);
    const bool ok = !host.isEmpty() && ::statvfs(hp.constData(), &sv) == 0;
    if (ok) {
        a = qint64(sv.f_bavail) * qint64(sv.f_frsize);
        t = qint64(sv.f_blocks) * qint64(sv.f_frsize);
        fr = qint64(sv.f_bfree) * qint64(sv.f_frsize);
    }
    if (freeToCaller)
        *freeToCaller = a;
    if (totalBytes)
        *totalBytes = t;
    if (totalFree)
        *totalFree = fr;
    return ok;
}

void SetDriveOverride(QChar letter, const QString& hostPath) { SetDriveOverrideEntry(letter, hostPath); }

void ClearDriveOverrides() { ClearDriveOverrideEntries(); }

void SetDeviceLinksRootForTest(const QString& hostPath) {
    LinksRoot& r = linksRoot();
    std::lock_guard<std::mutex> g(r.lock);
    r.path = hostPath.isEmpty() ? QStringLiteral("/dev/disk") : hostPath;
}

}  // namespace platform

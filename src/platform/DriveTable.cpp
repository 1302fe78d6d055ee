// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <mutex>

#include <pwd.h>
#include <unistd.h>

namespace platform {
namespace {

struct Overrides {
    std::mutex lock;
    QMap<QChar, QString> byLetter;
    quint64 generation = 1;
};

Overrides& overrides() {
    static Overrides o;
    return o;
}

struct Cache {
    std::mutex lock;
    std::shared_ptr<const DriveTable> table;
};

Cache& cache() {
    static Cache c;
    return c;
}

// Mount points that never get a letter of their own: the system's own
// file systems (the ESP under /boot included).
bool isSystemMountPoint(const QString& mp) {
    if (mp == QLatin1String("/"))
        return true;
    static const char* const prefixes[] = {"/proc", "/sys", "/dev", "/boot", "/efi", "/run", "/snap", "/var/lib/docker"};
    for (const char* p : prefixes) {
        if (IsSameOrBelow(mp, QString::fromLatin1(p)))
            return !IsSameOrBelow(mp, QStringLiteral("/run/media"));
    }
    return false;
}

bool isMediaMountPoint(const QString& mp) {
    return (IsSameOrBelow(mp, QStringLiteral("/media")) && mp != QLatin1String("/media")) ||
           (IsSameOrBelow(mp, QStringLiteral("/mnt")) && mp != QLatin1String("/mnt")) ||
           (IsSameOrBelow(mp, QStringLiteral("/run/media")) && mp != QLatin1String("/run/media"));
}

bool getsLetter(const MountEntry& e) {
    if (isMediaMountPoint(e.mountPoint))
        return true;
    if (isSystemMountPoint(e.mountPoint))
        return false;
    return DriveTable::IsNetworkType(e.fsType) || DriveTable::IsOpticalType(e.fsType) ||
           DriveTable::IsRemovableType(e.fsType);
}

}  // namespace

// "//server/share/sub" (SMB) or "server:/export/sub" (NFS) as UNC parts.
QStringList DriveTable::UncPartsOf(const MountEntry& e) {
    QString s = e.source;
    const QString t = e.fsType;
    if (t == QLatin1String("cifs") || t == QLatin1String("smb3") || t == QLatin1String("smbfs")) {
        s.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!s.startsWith(QLatin1String("//")))
            return {};
        QStringList parts = s.mid(2).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        return parts.size() >= 2 ? parts : QStringList();
    }
    if (t == QLatin1String("nfs") || t == QLatin1String("nfs4")) {
        int colon = s.indexOf(QLatin1String(":/"));
        if (s.startsWith(QLatin1Char('['))) {   // [v6 address]:/path
            const int close = s.indexOf(QLatin1Char(']'));
            colon = close > 0 && s.mid(close + 1).startsWith(QLatin1String(":/")) ? close + 1 : -1;
        }
        if (colon <= 0)
            return {};
        QString server = s.left(colon);
        if (server.startsWith(QLatin1Char('[')))
            server = server.mid(1, server.size() - 2);
        QStringList parts = s.mid(colon + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return {};
        parts.prepend(server);
        return parts;
    }
    return {};
}

namespace {
QString homeFolderOf(const char* raw) {
    QString home = raw ? QString::fromLocal8Bit(raw) : QString();
    if (home.isEmpty()) {
        if (const passwd* pw = getpwuid(getuid()))
            home = QFile::decodeName(pw->pw_dir);
    }
    if (home.isEmpty() || !home.startsWith(QLatin1Char('/')))
        home = QStringLiteral("/");
    return QDir::cleanPath(home);
}
}  // namespace

// Asked on every path lookup: worked out again only when $HOME changed.
QString HomeFolderHost() {
    struct Last {
        std::mutex lock;
        bool valid = false;
        bool set = false;
        QByteArray raw;
        QString home;
    };
    static Last last;
    const char* raw = ::getenv("HOME");
    std::lock_guard<std::mutex> g(last.lock);
    const bool set = raw && *raw;
    if (!last.valid || set != last.set || (set && last.raw != raw)) {
        last.home = homeFolderOf(set ? raw : nullptr);
        last.set = set;
        last.raw = set ? QByteArray(raw) : QByteArray();
        last.valid = set;   // without $HOME the password database is asked each time
    }
    return last.home;
}

bool DriveTable::IsNetworkType(const QString& t) {
    static const QSet<QString> types = {
        QStringLiteral("nfs"),   QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"),  QStringLiteral("smbfs"),      QStringLiteral("fuse.sshfs"),
        QStringLiteral("sshfs"), QStringLiteral("davfs"),      QStringLiteral("fuse.davfs2"),
        QStringLiteral("afs"),   QStringLiteral("ceph"),       QStringLiteral("glusterfs"),
        QStringLiteral("fuse.glusterfs"), QStringLiteral("fuse.rclone")};
    return types.contains(t);
}

bool DriveTable::IsOpticalType(const QString& t) {
    return t == QLatin1String("iso9660") || t == QLatin1String("udf");
}

bool DriveTable::IsRemovableType(const QString& t) {
    static const QSet<QString> types = {QStringLiteral("vfat"),  QStringLiteral("msdos"),
                                        QStringLiteral("exfat"), QStringLiteral("ntfs"),
                                        QStringLiteral("ntfs3"), QStringLiteral("fuseblk"),
                                        QStringLiteral("hfsplus")};
    return types.contains(t);
}

const DriveRoot* DriveTable::drive(QChar letter) const {
    const QChar up = letter.toUpper();
    for (const DriveRoot& d : drives_)
        if (d.letter == up)
            return &d;
    return nullptr;
}

const NetworkShare* DriveTable::shareFor(const QStringList& parts, int* used) const {
    const NetworkShare* best = nullptr;
    int bestLen = 0;
    for (const NetworkShare& s : shares_) {
        const int n = int(s.uncParts.size());
        if (n > parts.size() || (best && n <= bestLen))
            continue;
        bool ok = true;
        for (int i = 0; i < n && ok; ++i)
            ok = s.uncParts[i].compare(parts[i], Qt::CaseInsensitive) == 0;
        if (ok) {
            best = &s;
            bestLen = n;
        }
    }
    if (used)
        *used = bestLen;
    return best;
}

std::shared_ptr<const DriveTable> BuildDriveTable(std::shared_ptr<const MountSnapshot> mounts,
                                                  quint64 overrideGeneration, const QString& home) {
    auto t = std::make_shared<DriveTable>();
    t->mounts_ = mounts;
    t->mountGeneration_ = mounts->generation;
    t->overrideGeneration_ = overrideGeneration;
    t->home_ = home;

    QMap<QChar, QString> ov;
    {
        Overrides& o = overrides();
        std::lock_guard<std::mutex> g(o.lock);
        ov = o.byLetter;
    }

    QMap<QChar, DriveRoot> letters;
    letters.insert(QLatin1Char('C'), DriveRoot{QLatin1Char('C'), home, nullptr, false});
    letters.insert(QLatin1Char('Z'), DriveRoot{QLatin1Char('Z'), QStringLiteral("/"), nullptr, false});

    // One letter per mount point, in the order of the mount points; of
    // stacked mounts the one on top.
    QMap<QString, const MountEntry*> byPoint;
    for (const MountEntry& e : mounts->entries)
        if (getsLetter(e))
            byPoint.insert(e.mountPoint, &e);
    char next = 'D';
    for (auto it = byPoint.cbegin(); it != byPoint.cend(); ++it) {
        while (next <= 'Y' && ov.contains(QLatin1Char(next)))
            ++next;
        if (next > 'Y')
            break;
        letters.insert(QLatin1Char(next), DriveRoot{QLatin1Char(next), it.key(), it.value(), false});
        ++next;
    }
    for (auto it = ov.cbegin(); it != ov.cend(); ++it)
        letters.insert(it.key(), DriveRoot{it.key(), it.value(), nullptr, true});
    for (const DriveRoot& d : letters)
        t->drives_.push_back(d);

    for (const MountEntry& e : mounts->entries) {
        const QStringList parts = DriveTable::UncPartsOf(e);
        if (parts.isEmpty())
            continue;
        // A later mount of the same share (or on the same point) wins.
        auto same = std::find_if(t->shares_.begin(), t->shares_.end(), [&](const NetworkShare& s) {
            return s.uncParts.join(QLatin1Char('/')).compare(parts.join(QLatin1Char('/')),
                                                            Qt::CaseInsensitive) == 0;
        });
        if (same != t->shares_.end())
            *same = NetworkShare{parts, e.mountPoint, &e};
        else
            t->shares_.push_back(NetworkShare{parts, e.mountPoint, &e});
    }
    return t;
}

std::shared_ptr<const DriveTable> DriveTable::Current() {
    auto mounts = CurrentMounts();
    const QString home = HomeFolderHost();
    quint64 og;
    {
        Overrides& o = overrides();
        std::lock_guard<std::mutex> g(o.lock);
        og = o.generation;
    }
    Cache& c = cache();
    std::lock_guard<std::mutex> g(c.lock);
    if (!c.table || c.table->mountGeneration_ != mounts->generation ||
        c.table->overrideGeneration_ != og || c.table->home_ != home)
        c.table = BuildDriveTable(mounts, og, home);
    return c.table;
}

void SetDriveOverrideEntry(QChar letter, const QString& hostPath) {
    const QChar up = letter.toUpper();
    if (up < QLatin1Char('A') || up > QLatin1Char('Z'))
        return;
    Overrides& o = overrides();
    std::lock_guard<std::mutex> g(o.lock);
    if (hostPath.isEmpty())
        o.byLetter.remove(up);
    else
        o.byLetter.insert(up, QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath()));
    ++o.generation;
}

void ClearDriveOverrideEntries() {
    Overrides& o = overrides();
    std::lock_guard<std::mutex> g(o.lock);
    o.byLetter.clear();
    ++o.generation;
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/SourceFolder.h"

#include "common/NRV_File_Dir.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "vb/ErrorHandling.h"

void SourceFolder::enter(const QString& windowsFolder) {
    windows_ = windowsFolder;
    table_ = platform::DriveTable::Current();
    const platform::HostPath mapped = platform::ResolveWindowsPath(windowsFolder);
    host_ = mapped.ok() ? mapped.path : QString();
}

void SourceFolder::clear() { *this = SourceFolder{}; }

void LookedAtFile::keep(const QString& file, const QString& host, const platform::HostStat& st,
                        std::shared_ptr<const platform::DriveTable> table) {
    file_ = file;
    host_ = host;
    st_ = st;
    table_ = std::move(table);
}

bool LookedAtFile::take(const QString& file, QString* host, platform::HostStat* st,
                        std::shared_ptr<const platform::DriveTable>* table) {
    if (file_.isEmpty() || file_ != file)
        return false;
    *host = host_;
    *st = st_;
    if (table)
        *table = std::move(table_);
    table_.reset();
    file_.clear();
    return true;
}

LookedAtFile& LookedAt() {
    static LookedAtFile kept;
    return kept;
}

qint32 SourceFolder::attributes(const QString& file, QString* host, platform::HostStat* st) const {
    if (host)
        host->clear();
    // Anything but a plain name of the folder is mapped as a whole.
    const QString name = file.mid(windows_.size());
    if (host_.isEmpty() || file.size() <= windows_.size() || !file.startsWith(windows_) ||
        name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String("..") || platform::DriveTable::Current() != table_)
        return GetAttributes(file);
    vb::Handler h(QStringLiteral("GetAttributes of Modul Vaultora_Sub"));
    qint32 result = -1;
    h.Try([&] {
        const QString path = host_ == QLatin1String("/") ? QLatin1Char('/') + name : host_ + QLatin1Char('/') + name;
        const platform::HostStat seen = platform::StatHost(path);
        if (seen.kind == platform::EntryKind::Missing)
            return;
        const quint32 a = platform::AttributesOf(path, seen);
        result = qint32(a ? a : platform::kFileAttributeNormal);
        if (host)
            *host = path;
        if (st)
            *st = seen;
    });
    return result;
}

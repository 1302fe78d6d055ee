// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/RestoreCopies.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/NRV_File_Dir.h"
#include "crypto/ArchiveKey.h"
#include "crypto/clsBlowfish.h"
#include "platform/Paths.h"
#include "vb/VbError.h"

namespace restore_copies {

namespace {
// A copy never goes to the root of a drive for want of a temp folder.
const QString& RequireFolder(const QString& tempFolder) {
    if (tempFolder.trimmed().isEmpty())
        vb::Raise(vb::errPathNotFound, QStringLiteral("No temp folder is set"));
    return tempFolder;
}
}  // namespace

bool IsEncrypted(const QString& archiveName) {
    return archiveName.right(3).compare(QLatin1String("cry"), Qt::CaseInsensitive) == 0;
}

QString PrepareTempFolder(const QString& tempFolder) {
    RequireFolder(tempFolder);
    if (!DirExists(tempFolder))
        CreateDirectoryStruct(tempFolder);
    if (!DirExists(tempFolder))
        vb::Raise(vb::errPathNotFound, tempFolder);
    return tempFolder;
}

QString Reason(const QString& archiveName, const vb::ErrInfo& err, const QString& path) {
    QString why = err.Description;
    const QString tail = QStringLiteral(": ") + path;
    if (why.endsWith(tail))
        why.chop(tail.size());
    if (why.isEmpty())
        why = QStringLiteral("could not be opened");
    return archiveName + QStringLiteral(": ") + why;
}

QString SearchCopy(const QString& tempFolder) {
    return RequireFolder(tempFolder) + QStringLiteral("\\_BackUp_temp.zip");
}

QString RestoreCopy(const QString& tempFolder, const QString& archiveName) {
    return RequireFolder(tempFolder) + QStringLiteral("\\_BackUp_") + archiveName + QStringLiteral("temp.zip");
}

bool DecryptToCopy(clsBlowfish& cypher, const QString& archive, const QString& copy, const QString& password) {
    const QString host = platform::ToHost(copy);
    if (host.isEmpty())
        vb::Raise(vb::errPathNotFound, copy);
    // The cipher replaces the file keeping its permissions: make it private
    // before a byte of the archive is written.
    const QByteArray encoded = QFile::encodeName(host);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        vb::Raise(vb::errPermissionDenied, copy);
    const bool privateMode = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!privateMode) {
        ::unlink(encoded.constData());
        vb::Raise(vb::errPermissionDenied, copy);
    }
    const bool ok = cypher.DecryptFile(archive, copy, true, ArchiveKeyFor(password));
    if (!ok)
        ::unlink(encoded.constData());
    return ok;
}

void RemoveCopy(const QString& copy) {
    const QString host = platform::ToHost(copy);
    if (host.isEmpty() || !QFileInfo(host).isFile())
        return;
    if (!QFile::remove(host))
        vb::Raise(vb::errPermissionDenied, copy);
}

}  // namespace restore_copies

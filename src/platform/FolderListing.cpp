// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderListing.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/HostNames.h"
#include "platform/HostFiles.h"

namespace platform {

std::vector<ListedFile> ListFolderFiles(const QString& folderHost, QStringList* others) {
    std::vector<ListedFile> out;
    DIR* d = ::opendir(platform::HostBytes(folderHost).constData());
    if (!d)
        RaiseErrno(errno, false);
    const int fd = ::dirfd(d);
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        if (e->d_type == DT_DIR)
            continue;
        bool link = e->d_type == DT_LNK;
        if (e->d_type != DT_REG && e->d_type != DT_LNK) {
            struct stat own {};
            if (::fstatat(fd, n, &own, AT_SYMLINK_NOFOLLOW) != 0)
                continue;   // gone meanwhile
            link = S_ISLNK(own.st_mode);
            if (!link && !S_ISREG(own.st_mode)) {
                if (others && !S_ISDIR(own.st_mode))
                    others->append(platform::HostText(n));
                continue;
            }
        }
        struct stat st {};
        if (::fstatat(fd, n, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;   // gone meanwhile, a dangling link, or a link to no file
        ListedFile f;
        f.name = platform::HostText(n);
        f.size = qint64(st.st_size);
        f.mtimeSeconds = qint64(st.st_mtim.tv_sec);
        f.mode = st.st_mode;
        f.isLink = link;
        out.push_back(std::move(f));
    }
    ::closedir(d);
    return out;
}

QStringList ListUncopyableEntries(const QString& folderHost) {
    QStringList out;
    DIR* d = ::opendir(platform::HostBytes(folderHost).constData());
    if (!d)
        return out;
    const int fd = ::dirfd(d);
    while (dirent* e = ::readdir(d)) {
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISFIFO(st.st_mode) ? DT_FIFO : S_ISSOCK(st.st_mode) ? DT_SOCK
                   : S_ISCHR(st.st_mode) ? DT_CHR : S_ISBLK(st.st_mode) ? DT_BLK : DT_REG;
        }
        if (type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK)
            out << platform::HostText(e->d_name);
    }
    ::closedir(d);
    return out;
}

}  // namespace platform

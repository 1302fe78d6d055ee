// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderListing.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/HostFiles.h"

namespace platform {

std::vector<ListedFile> ListFolderFiles(const QString& folderHost, QStringList* others) {
    std::vector<ListedFile> out;
    DIR* d = ::opendir(QFile::encodeName(folderHost).constData());
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
                    others->append(QFile::decodeName(n));
                continue;
            }
        }
        struct stat st {};
        if (::fstatat(fd, n, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;   // gone meanwhile, a dangling link, or a link to no file
        ListedFile f;
        f.name = QFile::decodeName(n);
        f.size = qint64(st.st_size);
        f.mtimeSeconds = qint64(st.st_mtim.tv_sec);
        f.mode = st.st_mode;
        f.isLink = link;
        out.push_back(std::move(f));
    }
    ::closedir(d);
    return out;
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipExtractTarget.h"

#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kPattern[] = ".vaultora-extract-";
constexpr size_t kPatternLength = sizeof(kPattern) - 1;

// A name mkostemp makes from the pattern: six letters or digits after it.
bool isLeftoverName(const char* name) {
    if (std::strncmp(name, kPattern, kPatternLength) != 0 || std::strlen(name) != kPatternLength + 6)
        return false;
    for (const char* p = name + kPatternLength; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

// The hidden files a killed restore left in the folder, removed once per
// folder and process (the program runs once per user, so no restore of
// this process is writing them).
void removeLeftovers(const QByteArray& folder) {
    static std::mutex lock;
    static QSet<QByteArray> done;
    {
        std::lock_guard<std::mutex> g(lock);
        if (done.contains(folder))
            return;
        done.insert(folder);
    }
    const int dfd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return;
    DIR* d = ::fdopendir(dfd);
    if (!d) {
        ::close(dfd);
        return;
    }
    while (dirent* e = ::readdir(d)) {
        struct stat st {};
        if (isLeftoverName(e->d_name) && ::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlinkat(dfd, e->d_name, 0);
    }
    ::closedir(d);
}

}  // namespace

ExtractTarget::ExtractTarget(QByteArray hostFolder) : folder_(std::move(hostFolder)) {}

ExtractTarget::~ExtractTarget() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!named_.isEmpty())
        ::unlink(named_.constData());
}

bool ExtractTarget::open() {
    removeLeftovers(folder_);
    fd_ = ::open(folder_.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        unnamed_ = true;
        return true;
    }
    // File systems without unnamed files (and kernels that take the flag
    // for a folder) get a hidden name.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
        error_ = errno;
        return false;
    }
    named_ = folder_ + "/" + kPattern + "XXXXXX";
    fd_ = ::mkostemp(named_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        named_.clear();
        return false;
    }
    return true;
}

// Links the unnamed file under a new hidden name beside the target.
bool ExtractTarget::linkNamed(QByteArray* name) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = folder_ + "/" + kPattern + "XXXXXX";
        // mkstemp's names, without creating the file.
        const int probe = ::mkostemp(candidate.data(), O_CLOEXEC);
        if (probe < 0) {
            error_ = errno;
            return false;
        }
        ::close(probe);
        ::unlink(candidate.constData());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW) == 0) {
            *name = candidate;
            return true;
        }
        if (errno != EEXIST) {
            error_ = errno;
            return false;
        }
    }
    error_ = EEXIST;
    return false;
}

bool ExtractTarget::commit(const QByteArray& hostTarget) {
    if (unnamed_) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        // A new file takes its name at once; one that replaces a file gets a
        // hidden name first, which the rename then moves over the old file.
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, hostTarget.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) {
            error_ = errno;
            return false;
        }
        if (!linkNamed(&named_))
            return false;
    }
    if (::rename(named_.constData(), hostTarget.constData()) != 0) {
        error_ = errno;
        return false;
    }
    named_.clear();
    return true;
}

}  // namespace platform

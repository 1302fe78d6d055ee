// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipExtractTarget.h"

#include <QPair>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
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

// A hidden name made from the pattern: six letters or digits after it.
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
void removeLeftovers(int folder) {
    static std::mutex lock;
    static QSet<QPair<quint64, quint64>> done;
    struct stat self {};
    if (::fstat(folder, &self) != 0)
        return;
    {
        std::lock_guard<std::mutex> g(lock);
        const QPair<quint64, quint64> key(self.st_dev, self.st_ino);
        if (done.contains(key))
            return;
        done.insert(key);
    }
    const int dfd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

QByteArray procPath(int fd) { return "/proc/self/fd/" + QByteArray::number(fd); }

}  // namespace

ExtractTarget::ExtractTarget(int folder) : folder_(folder) {}

ExtractTarget::~ExtractTarget() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!named_.isEmpty())
        ::unlinkat(folder_, named_.constData(), 0);
}

template <typename Make>
bool ExtractTarget::hiddenName(QByteArray* name, Make make) {
    static const char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = kPattern;
        for (int i = 0; i < 6; ++i)
            candidate += kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
        if (make(candidate)) {
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

bool ExtractTarget::open() {
    removeLeftovers(folder_);
    fd_ = ::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
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
    return hiddenName(&named_, [this](const QByteArray& name) {
        fd_ = ::openat(folder_, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        return fd_ >= 0;
    });
}

// Links the unnamed file under a new hidden name beside the target.
bool ExtractTarget::linkNamed(QByteArray* name) {
    const QByteArray self = procPath(fd_);
    return hiddenName(name, [&](const QByteArray& candidate) {
        return ::linkat(AT_FDCWD, self.constData(), folder_, candidate.constData(), AT_SYMLINK_FOLLOW) == 0;
    });
}

bool ExtractTarget::commit(const QByteArray& name) {
    if (unnamed_) {
        // A new file takes its name at once; one that replaces a file gets a
        // hidden name first, which the rename then moves over the old file.
        if (::linkat(AT_FDCWD, procPath(fd_).constData(), folder_, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) {
            error_ = errno;
            return false;
        }
        if (!linkNamed(&named_))
            return false;
    }
    if (::renameat(folder_, named_.constData(), folder_, name.constData()) != 0) {
        error_ = errno;
        return false;
    }
    named_.clear();
    return true;
}

}  // namespace platform

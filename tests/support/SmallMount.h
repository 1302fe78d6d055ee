// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small tmpfs of its own at a folder, for a destination that fills up
// (root only; ok() is false where it cannot be mounted). Unmounted at the end.
#include <QDir>
#include <QFile>
#include <sys/mount.h>
#include <unistd.h>

namespace testenv {

class SmallMount {
public:
    SmallMount(const QString& where, const char* options) : where_(QFile::encodeName(where)) {
        QDir().mkpath(where);
        ok_ = ::geteuid() == 0 && ::mount("tmpfs", where_.constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallMount() {
        if (ok_)
            ::umount2(where_.constData(), MNT_DETACH);
    }
    SmallMount(const SmallMount&) = delete;
    SmallMount& operator=(const SmallMount&) = delete;
    bool ok() const { return ok_; }
    void remountReadOnly() {
        ok_ = ok_ && ::mount(nullptr, where_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray where_;
    bool ok_ = false;
};

}  // namespace testenv

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the fault tests of the run: reading files as a user would (also
// when the tests run as root), and a FIFO that wakes its reader at last.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace faults {

// Root reads every file whatever its mode; for as long as this lives the
// process reads like any user: without the capabilities that override file
// modes (they stay permitted and come back at the end).
class ReadLikeAUser {
public:
    ReadLikeAUser() {
        if (::geteuid() != 0)
            return;
        hdr_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &hdr_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &hdr_, lowered) == 0;
    }
    ~ReadLikeAUser() {
        if (active_)
            ::syscall(SYS_capset, &hdr_, saved_);
    }
    ReadLikeAUser(const ReadLikeAUser&) = delete;
    ReadLikeAUser& operator=(const ReadLikeAUser&) = delete;

private:
    __user_cap_header_struct hdr_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// Opens a FIFO for writing after `ms` unless cancelled, so that a reader
// blocked on it wakes up (and the test fails instead of hanging).
class FifoWatchdog {
public:
    FifoWatchdog(const QString& fifo, int ms) : path_(QFile::encodeName(fifo)) {
        thread_ = std::thread([this, ms] {
            for (int waited = 0; waited < ms && !stop_; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (stop_)
                return;
            fired_ = true;
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
    }
    ~FifoWatchdog() {
        stop_ = true;
        thread_.join();
    }
    bool fired() const { return fired_; }

private:
    QByteArray path_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

}  // namespace faults

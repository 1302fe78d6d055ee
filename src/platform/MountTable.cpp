// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountTable.h"

#include <QFile>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

struct State {
    std::mutex lock;
    int fd = -1;                 // open /proc/self/mountinfo, polled for changes
    QString testPath;            // a file standing in for it in tests
    struct timespec testMtime {};
    off_t testSize = -1;
    QByteArray rawText;
    std::shared_ptr<const MountSnapshot> snapshot;
};

State& state() {
    static State s;
    return s;
}

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
QString unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], d = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && d >= '0' && d <= '7') {
                out.append(char((a - '0') * 64 + (b - '0') * 8 + (d - '0')));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QFile::decodeName(out);
}

QByteArray readAllFd(int fd) {
    QByteArray text;
    if (lseek(fd, 0, SEEK_SET) < 0)
        return text;
    char buf[16384];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (n == 0)
            break;
        text.append(buf, int(n));
    }
    return text;
}

void install(State& s, const QByteArray& text) {
    if (s.snapshot && text == s.rawText)
        return;
    auto snap = std::make_shared<MountSnapshot>();
    snap->entries = ParseMountInfo(text);
    snap->generation = s.snapshot ? s.snapshot->generation + 1 : 1;
    s.rawText = text;
    s.snapshot = std::move(snap);
}

void refresh(State& s) {
    if (!s.testPath.isEmpty()) {
        struct stat st {};
        const QByteArray p = QFile::encodeName(s.testPath);
        if (::stat(p.constData(), &st) != 0) {
            install(s, {});
            return;
        }
        if (s.snapshot && st.st_size == s.testSize && st.st_mtim.tv_sec == s.testMtime.tv_sec &&
            st.st_mtim.tv_nsec == s.testMtime.tv_nsec)
            return;
        s.testSize = st.st_size;
        s.testMtime = st.st_mtim;
        QFile f(s.testPath);
        install(s, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
        return;
    }
    if (s.fd < 0) {
        s.fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (s.fd < 0) {
            install(s, {});
            return;
        }
        install(s, readAllFd(s.fd));
        return;
    }
    // The kernel marks the file with POLLPRI | POLLERR once the table has
    // changed since the last poll.
    struct pollfd pfd {s.fd, POLLPRI, 0};
    if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLPRI | POLLERR)))
        install(s, readAllFd(s.fd));
}

}  // namespace

bool IsSameOrBelow(const QString& path, const QString& root) {
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    if (!path.startsWith(root))
        return false;
    return path.size() == root.size() || path.at(root.size()) == QLatin1Char('/');
}

const MountEntry* MountSnapshot::holding(const QString& hostPath) const {
    const MountEntry* best = nullptr;
    for (const MountEntry& e : entries) {
        if (!IsSameOrBelow(hostPath, e.mountPoint))
            continue;
        if (!best || e.mountPoint.size() >= best->mountPoint.size())
            best = &e;
    }
    return best;
}

std::vector<MountEntry> ParseMountInfo(const QByteArray& text) {
    std::vector<MountEntry> out;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        // id parent major:minor root mountpoint options [optional...] - type source superoptions
        if (f.size() < 7)
            continue;
        int dash = -1;
        for (int i = 6; i < f.size(); ++i) {
            if (f[i] == "-") {
                dash = i;
                break;
            }
        }
        if (dash < 0 || dash + 2 >= f.size())
            continue;
        MountEntry e;
        const QList<QByteArray> mm = f[2].split(':');
        if (mm.size() == 2) {
            e.major = mm[0].toUInt();
            e.minor = mm[1].toUInt();
        }
        e.root = unescape(f[3]);
        e.mountPoint = unescape(f[4]);
        e.fsType = unescape(f[dash + 1]);
        e.source = unescape(f[dash + 2]);
        if (dash + 3 < f.size())
            e.superOptions = unescape(f[dash + 3]);
        if (!e.mountPoint.startsWith(QLatin1Char('/')))
            continue;
        out.push_back(std::move(e));
    }
    return out;
}

std::shared_ptr<const MountSnapshot> CurrentMounts() {
    State& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    refresh(s);
    return s.snapshot;
}

void SetMountInfoPathForTest(const QString& path) {
    State& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    s.testPath = path;
    s.testSize = -1;
    s.testMtime = {};
    s.rawText.clear();
    if (s.fd >= 0) {
        ::close(s.fd);
        s.fd = -1;
    }
    // Force a fresh read with the next request, keeping the generation
    // counter going so that callers caching by generation see the change.
    if (s.snapshot) {
        auto snap = std::make_shared<MountSnapshot>(*s.snapshot);
        snap->entries.clear();
        snap->generation += 1;
        s.snapshot = snap;
        s.rawText = QByteArray("\x01", 1);   // never equal to a real table
    }
}

}  // namespace platform

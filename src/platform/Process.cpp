// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/Paths.h"
#include "vb/VbError.h"

extern char** environ;

namespace platform {
namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// A program name without any folder is looked up on the search path, as
// Windows looks it up; anything else is a Windows path.
QString resolveProgram(const QString& name) {
    if (!name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':'))) {
        const QString found = QStandardPaths::findExecutable(name);
        return found.isEmpty() ? name : found;
    }
    return platform::ToHost(name);
}

bool isFile(const QString& hostPath) {
    const QFileInfo fi(hostPath);
    return fi.exists() && !fi.isDir();
}

// The arguments after the program, by the Windows rules.
QStringList splitArguments(const QString& s) {
    QStringList args;
    QString current;
    bool inArg = false, quoted = false;
    for (qsizetype i = 0; i < s.size();) {
        const QChar c = s[i];
        if (!quoted && isBlank(c)) {
            if (inArg)
                args.append(current);
            current.clear();
            inArg = false;
            ++i;
            continue;
        }
        inArg = true;
        if (c == QLatin1Char('\\')) {
            qsizetype n = 0;
            while (i < s.size() && s[i] == QLatin1Char('\\')) {
                ++n;
                ++i;
            }
            if (i < s.size() && s[i] == QLatin1Char('"')) {
                current += QString(n / 2, QLatin1Char('\\'));
                if (n % 2) {
                    current += QLatin1Char('"');
                    ++i;
                }
            } else {
                current += QString(n, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < s.size() && s[i + 1] == QLatin1Char('"')) {
                current += QLatin1Char('"');  // "" inside quotes: a quote
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArg)
        args.append(current);
    return args;
}

struct Child {
    bool ended = false;
    int code = 0;
};

std::map<qint64, Child>& children() {
    static std::map<qint64, Child> table;
    return table;
}

// Looks at a child of ours; false when the pid is not one.
bool poll(qint64 pid, Child** out) {
    auto it = children().find(pid);
    if (it == children().end())
        return false;
    Child& c = it->second;
    if (!c.ended) {
        int status = 0;
        const pid_t r = ::waitpid(pid_t(pid), &status, WNOHANG);
        if (r == pid_t(pid)) {
            c.ended = true;
            c.code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0;
        } else if (r < 0 && errno != EINTR) {
            c.ended = true;  // reaped elsewhere: the code is lost
            c.code = 0;
        }
    }
    *out = &c;
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const QString& windowsCommandLine) {
    CommandLine cl;
    QString s = windowsCommandLine;
    qsizetype start = 0;
    while (start < s.size() && isBlank(s[start]))
        ++start;
    s = s.mid(start);
    QString program, rest;
    if (s.startsWith(QLatin1Char('"'))) {
        const qsizetype close = s.indexOf(QLatin1Char('"'), 1);
        program = close < 0 ? s.mid(1) : s.mid(1, close - 1);
        rest = close < 0 ? QString() : s.mid(close + 1);
    } else {
        qsizetype cut = -1, first = -1;
        for (qsizetype i = 0; i <= s.size(); ++i) {
            if (i < s.size() && !isBlank(s[i]))
                continue;
            if (i == 0 || isBlank(s[i - 1]))
                continue;
            if (first < 0)
                first = i;
            if (isFile(resolveProgram(s.left(i)))) {
                cut = i;
                break;
            }
        }
        if (cut < 0)
            cut = first < 0 ? s.size() : first;
        program = s.left(cut);
        rest = s.mid(cut);
    }
    cl.program = program.isEmpty() ? QString() : resolveProgram(program);
    cl.arguments = splitArguments(rest);
    return cl;
}

qint64 Shell(const QString& windowsCommandLine, int windowStyle) {
    const CommandLine cl = ParseCommandLine(windowsCommandLine);
    if (cl.program.isEmpty())
        vb::Raise(vb::errInvalidCall);
    const QFileInfo fi(cl.program);
    if (!fi.exists())
        vb::Raise(vb::errFileNotFound, QStringLiteral("File not found: %1").arg(cl.program));
    if (fi.isDir())
        vb::Raise(vb::errInvalidCall, QStringLiteral("Invalid procedure call or argument: %1 is a folder").arg(cl.program));

    const QByteArray program = QFile::encodeName(cl.program);
    std::vector<QByteArray> store;
    store.push_back(program);
    for (const QString& a : cl.arguments)
        store.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : store)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int err = ::posix_spawn(&pid, program.constData(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (err != 0) {
        const QString why = QStringLiteral("%1: %2").arg(cl.program, QString::fromLocal8Bit(std::strerror(err)));
        if (err == ENOENT)
            vb::Raise(vb::errFileNotFound, QStringLiteral("File not found (") + why + QStringLiteral(")"));
        if (err == EACCES || err == EPERM)
            vb::Raise(vb::errPermissionDenied, QStringLiteral("Permission denied (") + why + QStringLiteral(")"));
        vb::Raise(vb::errInvalidCall, QStringLiteral("Invalid procedure call or argument (") + why + QStringLiteral(")"));
    }
    // Reap the programs that ended meanwhile (their codes stay known), so that
    // programs nobody waits for do not linger as zombies.
    for (auto& [child, entry] : children()) {
        Child* c = nullptr;
        if (!entry.ended)
            poll(child, &c);
    }
    children()[pid] = Child{};
    return pid;
}

bool ProcessRunning(qint64 pid) {
    Child* c = nullptr;
    if (poll(pid, &c))
        return !c->ended;
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

int ProcessExitCode(qint64 pid, bool* stillActive) {
    Child* c = nullptr;
    bool active = false;
    int code = 0;
    if (poll(pid, &c)) {
        active = !c->ended;
        code = active ? kStillActive : c->code;
    }
    if (stillActive)
        *stillActive = active;
    return code;
}

bool EndProgram(qint64 pid, int waitMs) {
    Child* c = nullptr;
    if (!poll(pid, &c) || c->ended)
        return true;
    ::kill(pid_t(pid), SIGTERM);
    QElapsedTimer t;
    t.start();
    for (;;) {
        if (poll(pid, &c) && c->ended)
            return true;
        if (t.elapsed() >= waitMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

}  // namespace platform

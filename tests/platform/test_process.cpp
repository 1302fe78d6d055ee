// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <functional>
#include <unistd.h>

#include "support/ErrorOf.h"
#include "support/TestEnv.h"
#include "platform/Process.h"
#include "vb/VbError.h"

using namespace platform;

namespace {

QString windowsPath(QString host) { return "Z:" + host.replace('/', '\\'); }

QString writeScript(const QString& hostPath, const QByteArray& body, bool executable = true) {
    testenv::writeFile(hostPath, "#!/bin/sh\n" + body);
    QFile::setPermissions(hostPath, executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                               : QFile::ReadOwner | QFile::WriteOwner);
    return hostPath;
}

// Polls the exit code the way a waiting caller does; -1 after 20 s.
int waitForExit(qint64 pid) {
    QElapsedTimer t;
    t.start();
    bool active = true;
    int code = 0;
    while (t.elapsed() < 20000) {
        code = ProcessExitCode(pid, &active);
        if (!active)
            return code;
        usleep(10000);
    }
    return -1;
}

using testenv::errorOf;

}  // namespace

TEST(Process, CommandLinesAreTakenApartLikeWindowsDoes) {
    const QString dir = testenv::tempDir("cmdline");
    writeScript(dir + "/my tools/run job.sh", "exit 0\n");
    writeScript(dir + "/plain.sh", "exit 0\n");
    const QString w = windowsPath(dir);
    struct Case {
        QString line;
        QString program;
        QStringList args;
    } cases[] = {
        // unquoted: the shortest prefix that names a file, blank by blank
        {w + "\\my tools\\run job.sh -x y", dir + "/my tools/run job.sh", {"-x", "y"}},
        {w + "\\plain.sh ", dir + "/plain.sh", {}},  // empty arguments leave a trailing blank
        // no prefix names a file: split at the first blank
        {w + "\\missing prog.sh a", dir + "/missing", {"prog.sh", "a"}},
        // quoted program path
        {"\"" + w + "\\my tools\\run job.sh\" \"two words\" three", dir + "/my tools/run job.sh", {"two words", "three"}},
        // the argument rules: quotes group, backslashes escape only before a quote
        {w + "\\plain.sh C:\\Data\\ \"C:\\My Files\\\\\" a\\\"b \"x\"\"y\" \"\"", dir + "/plain.sh",
         {"C:\\Data\\", "C:\\My Files\\", "a\"b", "x\"y", ""}},
        {"   " + w + "\\plain.sh\t$HOME;rm *", dir + "/plain.sh", {"$HOME;rm", "*"}},
        // a bare name is looked up on the search path
        {"sh -c true", QStandardPaths::findExecutable("sh"), {"-c", "true"}},
    };
    for (const Case& c : cases) {
        const CommandLine cl = ParseCommandLine(c.line);
        EXPECT_EQ(cl.program, c.program) << c.line.toStdString();
        EXPECT_EQ(cl.arguments, c.args) << c.line.toStdString();
    }
}

TEST(Process, ShellStartsTheProgramItselfAndItsExitCodeIsKnown) {
    const QString dir = testenv::tempDir("shell");
    const QString out = dir + "/args.txt";
    const QString script = writeScript(dir + "/job with blank.sh",
                                       "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$1\"; done\nexit 3\n");
    // No shell ever sees the command: "$HOME" and ";" reach the program as they are.
    const qint64 pid = Shell(windowsPath(script) + " " + out + " \"two words\" $HOME;exit", vbNormalFocus);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(waitForExit(pid), 3);
    EXPECT_EQ(ProcessExitCode(pid, nullptr), 3);  // asked again: still known
    EXPECT_FALSE(ProcessRunning(pid));
    EXPECT_EQ(testenv::readFile(out), (out + "\ntwo words\n$HOME;exit\n").toUtf8());
}

TEST(Process, RunningProgramIsStillActiveUntilItEnds) {
    const QString dir = testenv::tempDir("running");
    const QString script = writeScript(dir + "/wait.sh", "exec sleep 30\n");
    const qint64 pid = Shell(windowsPath(script), vbHide);
    bool active = false;
    EXPECT_EQ(ProcessExitCode(pid, &active), kStillActive);
    EXPECT_TRUE(active);
    EXPECT_TRUE(ProcessRunning(pid));
    ::kill(pid_t(pid), SIGKILL);
    EXPECT_EQ(waitForExit(pid), 128 + SIGKILL);
    EXPECT_FALSE(ProcessRunning(pid));
}

TEST(Process, UnknownProcessIdsAndProgramsThatCannotStart) {
    bool active = true;
    EXPECT_EQ(ProcessExitCode(999999999, &active), 0);
    EXPECT_FALSE(active);
    EXPECT_EQ(ProcessExitCode(0, &active), 0);
    EXPECT_FALSE(ProcessRunning(999999999));

    const QString dir = testenv::tempDir("nostart");
    writeScript(dir + "/notexec.sh", "exit 0\n", false);
    testenv::writeFile(dir + "/noprogram", "plain text, no program\n");
    QFile::setPermissions(dir + "/noprogram", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(errorOf([&] { Shell(windowsPath(dir + "/missing.exe") + " /x", vbNormalFocus); }), 53);
    EXPECT_EQ(errorOf([&] { Shell(windowsPath(dir + "/notexec.sh"), vbNormalFocus); }), 70);
    EXPECT_EQ(errorOf([&] { Shell(windowsPath(dir + "/noprogram"), vbNormalFocus); }), 5);
    EXPECT_EQ(errorOf([&] { Shell(windowsPath(dir), vbNormalFocus); }), 5);
    EXPECT_EQ(errorOf([&] { Shell("   ", vbNormalFocus); }), 5);
}

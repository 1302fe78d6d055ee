// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Starting programs (VB's Shell) and asking for their end.
namespace platform {

// Window styles of Shell (accepted; a Linux program places its own window).
enum ShellWindowStyle : int {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6,
};

// The exit code that ProcessExitCode gives while the program still runs.
constexpr int kStillActive = 259;

// How a Windows command line is taken apart: the program and its arguments.
struct CommandLine {
    QString program;  // host path
    QStringList arguments;
};
// A quoted program path ends at its closing quote. An unquoted one ends at the
// first blank after which the text so far names an existing file, trying each
// blank in turn as Windows does; when no prefix names a file it ends at the
// first blank. The rest is split into arguments by the Windows rules (blanks
// separate, double quotes group, backslashes escape only before a quote).
CommandLine ParseCommandLine(const QString& windowsCommandLine);

// Starts the program of the command line directly (never through a shell) and
// returns its process id. Like VB's Shell it raises vb::VbError when the
// program cannot be started: 53 File not found, 70 Permission denied, 5 for an
// empty command or a file that is no program. The program's standard input is
// /dev/null; its output goes where ours goes. It goes on running when this
// program ends.
qint64 Shell(const QString& windowsCommandLine, int windowStyle = vbMinimizedFocus);

// For a program started by Shell: still running? For another process id:
// whether such a process exists.
bool ProcessRunning(qint64 pid);
// The exit code of a program started by Shell once it has ended (killed by a
// signal: 128 + the signal number), with *stillActive false; while it runs
// kStillActive with *stillActive true. A process id that Shell did not start:
// 0 with *stillActive false.
int ProcessExitCode(qint64 pid, bool* stillActive);
// Asks a program that Shell started to end (SIGTERM) and waits up to waitMs
// for it, letting events run. True once it has ended (or when the pid is no
// program of ours that still runs); false when it still runs after waitMs.
bool EndProgram(qint64 pid, int waitMs);

}  // namespace platform

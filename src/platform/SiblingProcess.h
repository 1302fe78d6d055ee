// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

// Other programs of this user, found by their executable's name.
namespace platform {

// The ids of this user's running processes (this one left out, ended ones
// that wait for their parent too) whose executable file, or the script the
// process runs, is named `name` exactly.
QList<qint64> FindOwnProcesses(const QString& name);

// Asks the process to close (SIGTERM); false when it cannot be asked.
bool AskProcessToClose(qint64 pid);

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RunOutcome.h"

#include <algorithm>
#include <cstdio>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"

namespace {

RunOutcome g_outcome = RunOutcome::Complete;

void Raise(RunOutcome o) { g_outcome = std::max(g_outcome, o); }

}  // namespace

void ReportNotBackedUp(const QString& label, int erl, int errNumber, const QString& description,
                       const QString& what) {
    Raise(RunOutcome::Incomplete);
    // A description that names the file already is not followed by it again.
    const QString text = description.isEmpty()      ? what
                         : description.contains(what) ? description
                                                      : description + QStringLiteral(": ") + what;
    WriteErrorLog(false, ProgramName, label, erl, errNumber, text);
}

void MarkIncomplete() { Raise(RunOutcome::Incomplete); }

void ReportCouldNotRun(const QString& label, int erl, int errNumber, const QString& reason) {
    Raise(RunOutcome::NotRun);
    WriteErrorLog(false, ProgramName, label, erl, errNumber, reason);
    // Whoever started the program unattended reads why on standard error.
    std::fprintf(stderr, "%s: %s\n", ProgramName.toLocal8Bit().constData(), reason.toLocal8Bit().constData());
    std::fflush(stderr);
}

RunOutcome CurrentRunOutcome() { return g_outcome; }

int ExitStatus() { return int(g_outcome); }

void ResetRunOutcome() { g_outcome = RunOutcome::Complete; }

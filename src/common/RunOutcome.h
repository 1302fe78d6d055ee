// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <exception>

#include "vb/ErrorHandling.h"

// How the work of this start of the program went, for the exit status of an
// unattended run ("/run"):
//   0  the run completed as asked;
//   1  it ran, but something was not backed up (each such file or archive
//      has its own error-log line);
//   2  it could not run at all (no profile to run, a refused start, settings
//      that cannot be used).
// The worst thing reported wins. Every report writes one error-log line.
enum class RunOutcome : int { Complete = 0, Incomplete = 1, NotRun = 2 };

// A file, folder or archive that did not reach the backup: one error-log line
// "<description>: <what>" under `label`, and the run is incomplete.
void ReportNotBackedUp(const QString& label, int erl, int errNumber, const QString& description,
                       const QString& what);

// The run is incomplete; its error-log line was written by the caller's own
// handler already.
void MarkIncomplete();

// The run could not be made at all: one error-log line with the reason, and
// the reason on standard error.
void ReportCouldNotRun(const QString& label, int erl, int errNumber, const QString& reason);

RunOutcome CurrentRunOutcome();
int ExitStatus();   // the outcome as the process's exit status

// Back to Complete (the start of a run, and tests).
void ResetRunOutcome();

// Runs one step of the work on `what` (a file or folder of the backup); a
// failure is reported as not backed up under the handler's label and its
// Erl at the moment of the failure, and kept in h.Err. True when the step
// went through.
template <class F>
bool TryFor(vb::Handler& h, const QString& what, F&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        h.Err = vb::ErrFrom(std::current_exception());
        ReportNotBackedUp(h.label(), h.Erl, h.Err.Number, h.Err.Description, what);
        return false;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Destinations that this version does not offer yet (disc writing, FTP, the
// e-mail notice, ending the session) answer through this: one line at the
// top of the run log, "<what>: " and the language file's text for a
// function that is not available, so that nobody reads a transfer into a
// run that did not make one.
void ReportDestinationNotAvailable(const QString& what);

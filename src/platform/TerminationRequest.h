// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

// The session asks the program to end: SIGTERM (log-out, shutdown, a service
// manager stopping it), SIGHUP (the terminal went away) or SIGINT (Ctrl+C).
namespace platform {

// From now on such a signal no longer kills the process at once: `handler`
// runs on the GUI thread the next time events are processed. Needs the
// application object. Calling it again replaces the handler.
void OnTerminationRequest(std::function<void()> handler);

// True once such a signal came (set by the signal itself, so waits that do
// not process events, such as one for a lock held by another process, can
// end on it).
bool TerminationRequested();

// Tests: the request that came is forgotten (the handler stays in place).
void ForgetTerminationRequestForTest();

}  // namespace platform

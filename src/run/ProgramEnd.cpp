// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

#include "common/RunOutcome.h"
#include "destinations/MailNotice.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"

namespace {
std::function<void()> endHook;
bool ended = false;
}  // namespace

void End() {
    // An e-mail notice on its way gets its minute first.
    WaitForMailNotice();
    ended = true;
    vb::Quiet([] { vb::CloseAll(); });
    if (endHook) {
        endHook();
        return;
    }
    std::fflush(nullptr);
    // No destructors of static objects and no Qt shutdown: the program stops
    // here, in the middle of the run, as End does. The status tells how the
    // run went.
    std::_Exit(ExitStatus());
}

bool ProgramEnded() { return ended; }

void SetEndHookForTest(std::function<void()> hook) {
    endHook = std::move(hook);
    ended = false;
}

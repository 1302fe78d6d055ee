// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

// Tests stand in for the user who changes the medium while the new-medium
// prompt is open: the hook runs right before the prompt is shown. An empty
// hook removes it.
void SetNewMediumHookForTest(std::function<void()> hook);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The steps of a run around the backup itself: the program run before a
// backup (after the first medium check), the registry export into the
// archive (ZIP mode, before the walk of the source list) and the program run
// after a backup (in the after-phase).
//
// Not available yet: when the profile asks for a step, a line saying so goes
// to the top of the run log and nothing is started or exported.
void RunProgramBefore();
void RunProgramAfter();
void ExportRegistry();

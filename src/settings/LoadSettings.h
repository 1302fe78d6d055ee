// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes the main window show the profile whose name is the text of
// cmbProfiles (it never changes that text): fills the language and profile
// lists, applies the user-level and profile settings to their controls (each
// control's own handler runs as for a user's change), parses the mask lists,
// rebuilds the source list, shows the statistics, sets up the destination
// controls and deletes temporary archives of earlier runs. Every step is
// guarded on its own: a failing step is logged and the load goes on.
void Load_Settings();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Where this user's configuration lives and which file this program is.
namespace platform {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not an absolute path.
QString ConfigHome();

// The host path of the running program's own executable, symbolic links
// resolved, so that an entry that starts it again starts this very file.
QString ProgramExecutable();

}  // namespace platform

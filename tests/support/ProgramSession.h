// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's services set up as its start does, for fixtures that drive
// the main window: the path layer, the error log, the product name, the
// user's identity and the English texts.
#include <QString>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Paths.h"

namespace testenv {

// False when the language file could not be loaded.
inline bool StartProgramSession() {
    platform::InstallPathLayer();
    InstallErrorLog();
    ProgramName = QStringLiteral("Vaultora");
    GetPCInfos();
    return set_language(QStringLiteral("english.lng"));
}

}  // namespace testenv

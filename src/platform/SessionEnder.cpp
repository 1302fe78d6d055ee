// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SessionEnder.h"

#include <QDBusConnection>

#include "platform/LogindSessionEnder.h"

namespace platform {
namespace {
SessionEnder* installed = nullptr;
}  // namespace

SessionEnder& CurrentSessionEnder() {
    if (installed)
        return *installed;
    static LogindSessionEnder system(QDBusConnection::systemBus());
    return system;
}

void SetSessionEnder(SessionEnder* ender) { installed = ender; }

}  // namespace platform

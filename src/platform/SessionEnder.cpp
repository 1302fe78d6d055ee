// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SessionEnder.h"

#include <cstdio>

namespace platform {
namespace {

class SystemSessionEnder final : public SessionEnder {
public:
    bool EndSession(quint32 flags) override {
        std::fprintf(stderr, "vaultora: ending the session (flags %u) is not available yet\n",
                     unsigned(flags));
        return false;
    }
};

SessionEnder* installed = nullptr;

}  // namespace

SessionEnder& CurrentSessionEnder() {
    static SystemSessionEnder system;
    return installed ? *installed : system;
}

void SetSessionEnder(SessionEnder* ender) { installed = ender; }

}  // namespace platform

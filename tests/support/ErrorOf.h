// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include "vb/VbError.h"

namespace testenv {
// The VB error number that `f` raises, 0 when it raises none.
inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace testenv

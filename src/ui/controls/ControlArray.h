// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>

#include "vb/VbError.h"

namespace ui {

// A VB control array with the element numbers First..Last: a(3) is the
// element numbered 3. An element number outside raises 340.
template <class T, int First, int Last>
class ControlArray {
    static_assert(Last >= First);

public:
    static constexpr int LBound() { return First; }
    static constexpr int UBound() { return Last; }
    static constexpr int Count() { return Last - First + 1; }

    T* operator()(int index) const { return at(index); }
    T* operator[](int index) const { return at(index); }
    T*& slot(int index) {
        check(index);
        return items_[index - First];
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    static void check(int index) {
        if (index < First || index > Last)
            vb::Raise(340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));
    }
    T* at(int index) const {
        check(index);
        return items_[index - First];
    }
    std::array<T*, Count()> items_{};
};

}  // namespace ui

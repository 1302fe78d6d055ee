// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>
#include <array>

namespace crypto {

// The initial Blowfish tables: the P-array and the 1024 S-box words in their
// usual order (the 256 words of the first box, then the second, third and
// fourth). How the words are dealt out to the four boxes is up to the cipher.
extern const std::array<quint32, 18> kInitialP;
extern const std::array<quint32, 1024> kInitialSWords;

}  // namespace crypto

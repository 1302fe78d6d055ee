// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Speech.h"

#include "common/Globals.h"

namespace {
SpeakFunction& speaker() {
    static SpeakFunction f;
    return f;
}
}  // namespace

void SetSpeakFunction(SpeakFunction speak) { speaker() = std::move(speak); }

void Speak(const QString& text) {
    if (bSoundAvailable && speaker())
        speaker()(text, 1);
}

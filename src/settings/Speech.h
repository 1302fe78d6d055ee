// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>

// Speaking fixed texts through the speech object. The speech module installs
// its speak operation here when it sets up the speech engine; until then, or
// without a sound device (bSoundAvailable false), nothing is spoken. Callers
// test the user's sound option (chkSound) themselves.
using SpeakFunction = std::function<void(const QString& text, int flags)>;
void SetSpeakFunction(SpeakFunction speak);

// Speaks `text` as a statement (flags 1) when sound is available.
void Speak(const QString& text);

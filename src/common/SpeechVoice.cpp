// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SpeechVoice.h"

#include <espeak-ng/speak_lib.h>

#include "vb/VbError.h"

namespace {
// The engine is one per process.
bool g_engineUp = false;
std::optional<bool> g_testEngine;
QStringList g_spoken;
}  // namespace

void SpeechVoice::SetEngineForTest(std::optional<bool> starts) {
    g_testEngine = starts;
    g_spoken.clear();
}

QStringList SpeechVoice::SpokenForTest() { return g_spoken; }

SpeechVoice::~SpeechVoice() {
    if (registered_ && g_engineUp && !g_testEngine) {
        espeak_Cancel();
        espeak_Terminate();
        g_engineUp = false;
    }
}

void SpeechVoice::Register(const QString& siteName, const QString& applicationName) {
    Q_UNUSED(siteName);
    Q_UNUSED(applicationName);
    if (g_testEngine) {
        if (!*g_testEngine)
            vb::Raise(vb::errAutomation, QStringLiteral("The speech engine could not be started"));
        registered_ = true;
        return;
    }
    if (!g_engineUp) {
        // DONT_EXIT: a missing voice data folder is reported, not a reason for
        // the engine to end the whole program.
        const int rate = espeak_Initialize(AUDIO_OUTPUT_PLAYBACK, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (rate <= 0)
            vb::Raise(vb::errAutomation, QStringLiteral("The speech engine could not be started"));
        g_engineUp = true;
    }
    registered_ = true;
}

void SpeechVoice::Speak(const QString& text, int flags) {
    Q_UNUSED(flags);
    if (!registered_ || (!g_engineUp && !g_testEngine))
        vb::Raise(vb::errAutomation, QStringLiteral("The speech engine is not started"));
    if (g_testEngine) {
        g_spoken.append(text);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    const espeak_ERROR e = espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                        espeakCHARS_UTF8, nullptr, nullptr);
    if (e != EE_OK)
        vb::Raise(vb::errAutomation, QStringLiteral("The speech engine refused the text"));
}

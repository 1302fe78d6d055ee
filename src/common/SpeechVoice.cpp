// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SpeechVoice.h"

#include <unistd.h>
#include <espeak-ng/speak_lib.h>

#include "platform/LateLibrary.h"
#include "vb/VbError.h"

namespace {
// The engine is one per process. Its library (and the sound libraries it
// brings) is loaded when the first text is spoken, not at the start.
bool g_engineUp = false;
std::optional<bool> g_testEngine;
QStringList g_spoken;

struct Engine {
    decltype(&espeak_Initialize) initialize = nullptr;
    decltype(&espeak_Synth) synth = nullptr;
    decltype(&espeak_Cancel) cancel = nullptr;
    decltype(&espeak_Terminate) terminate = nullptr;
};
Engine g_engine;

bool libraryPresent() { return ::access(VAULTORA_ESPEAK_LIBRARY, R_OK) == 0; }

bool startEngine() {
    if (g_engineUp)
        return true;
    void* lib = platform::OpenLateLibrary(VAULTORA_ESPEAK_LIBRARY);
    Engine e;
    if (!lib || !platform::Resolve(lib, "espeak_Initialize", e.initialize) ||
        !platform::Resolve(lib, "espeak_Synth", e.synth) || !platform::Resolve(lib, "espeak_Cancel", e.cancel) ||
        !platform::Resolve(lib, "espeak_Terminate", e.terminate))
        return false;
    // DONT_EXIT: a missing voice data folder is reported, not a reason for
    // the engine to end the whole program.
    if (e.initialize(AUDIO_OUTPUT_PLAYBACK, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <= 0)
        return false;
    g_engine = e;
    g_engineUp = true;
    return true;
}
}  // namespace

void SpeechVoice::SetEngineForTest(std::optional<bool> starts) {
    g_testEngine = starts;
    g_spoken.clear();
}

QStringList SpeechVoice::SpokenForTest() { return g_spoken; }

SpeechVoice::~SpeechVoice() {
    if (registered_ && g_engineUp && !g_testEngine) {
        g_engine.cancel();
        g_engine.terminate();
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
    if (!libraryPresent())
        vb::Raise(vb::errAutomation, QStringLiteral("The speech engine could not be started"));
    registered_ = true;
}

void SpeechVoice::Speak(const QString& text, int flags) {
    Q_UNUSED(flags);
    if (!registered_)
        vb::Raise(vb::errAutomation, QStringLiteral("The speech engine is not started"));
    if (g_testEngine) {
        g_spoken.append(text);
        return;
    }
    if (!startEngine())
        vb::Raise(vb::errAutomation, QStringLiteral("The speech engine could not be started"));
    const QByteArray utf8 = text.toUtf8();
    const espeak_ERROR e = g_engine.synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                        espeakCHARS_UTF8, nullptr, nullptr);
    if (e != EE_OK)
        vb::Raise(vb::errAutomation, QStringLiteral("The speech engine refused the text"));
}

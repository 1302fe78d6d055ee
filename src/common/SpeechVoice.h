// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The speech object that speaks the program's fixed texts, on the espeak-ng
// engine. Registering checks that the engine is installed; the first text
// spoken starts it (with its own playback thread); speaking queues the text
// and returns at once, so the caller's thread is never held up while the
// text is spoken.
class SpeechVoice {
public:
    SpeechVoice() = default;
    ~SpeechVoice();
    SpeechVoice(const SpeechVoice&) = delete;
    SpeechVoice& operator=(const SpeechVoice&) = delete;

    // Site and application name identify the caller (the engine has no use
    // for them). Raises error 440 (automation error) when the engine is not
    // installed.
    void Register(const QString& siteName, const QString& applicationName);

    // Speaks the text (flags: 1 a statement; the engine always speaks
    // asynchronously). Raises 440 when the engine is not registered, cannot
    // be started or refuses the text.
    void Speak(const QString& text, int flags);

    bool Registered() const { return registered_; }

    // Tests: an engine that starts (true) or fails (false) without touching
    // the real one, and that records what it is asked to speak; nullopt goes
    // back to espeak-ng.
    static void SetEngineForTest(std::optional<bool> starts);
    static QStringList SpokenForTest();

private:
    bool registered_ = false;
};

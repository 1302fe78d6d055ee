// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <memory>
#include <optional>

#include "common/SpeechVoice.h"

// Sounds and speech: whether the computer can play sound, event sounds and
// wave files, and the speech object that speaks the program's fixed texts.

// The speech object; made once by Ini_TTS and kept until the main window
// unloads (ReleaseVoiceText).
extern std::unique_ptr<SpeechVoice> VoiceText;

// Where the download hint sends the user for the speech engine and its voices.
extern const QString kSpeechEngineUrl;
extern const QString kSpeechVoicesUrl;

// The sound card offers at least one playback device (ALSA lists one in
// /proc/asound/pcm, or a /dev/snd/pcm...p device exists). Also stores the
// result in bSoundAvailable.
bool HasSound();

// Plays a sound without waiting for it. With isEvent true and no "." in the
// name, the name is an event of the sound scheme and is replaced by the wave
// file the scheme names for it ("" when the scheme has none). Then
// "%SystemRoot%" at the start stands for the Windows folder, and a name
// without ":" is a file of the Windows folder's "media" folder. soundName is
// left holding the resolved path. The file is played (by aplay, when it is
// installed) only when HasSound() is true and the file exists.
void PlaySoundOnce(QString& soundName, bool& isEvent);
void PlaySoundOnce(const QString& soundName, bool isEvent);

// Makes VoiceText and, when sound is available, starts its engine; then
// stores "-1" in the user setting "TTS". When that fails, bSoundAvailable is
// cleared and, unless the hint was shown before ("TTS" is 0), the user is
// told once where the speech engine and its voices are found (OK opens both
// pages); "TTS" becomes "0" either way.
void Ini_TTS();

// The main window's unloading lets the speech object go.
void ReleaseVoiceText();

// Speaks a fixed text (flags 1) when the speech object is there and its
// engine runs; errors are passed over. Callers test the sound option and
// bSoundAvailable first.
void SpeakText(const QString& text);

// Tests: look for the sound devices below hostRoot instead of "/"
// (hostRoot + "/proc/asound/pcm", hostRoot + "/dev/snd"); "" is "/" again.
void SetSoundRootForTest(const QString& hostRoot);

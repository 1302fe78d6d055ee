// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_PlaySound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

std::unique_ptr<SpeechVoice> VoiceText;

const QString kSpeechEngineUrl = QStringLiteral("https://packages.debian.org/bookworm/espeak-ng");
const QString kSpeechVoicesUrl = QStringLiteral("https://packages.debian.org/bookworm/espeak-ng-data");

namespace {

QString g_soundRoot;

QString SoundRoot() { return g_soundRoot.isEmpty() ? QStringLiteral("/") : g_soundRoot + QStringLiteral("/"); }

int PlaybackDevices() {
    int count = 0;
    QFile pcm(SoundRoot() + QStringLiteral("proc/asound/pcm"));
    if (pcm.open(QIODevice::ReadOnly)) {
        // "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1"
        for (const QByteArray& line : pcm.readAll().split('\n'))
            if (line.contains("playback"))
                ++count;
    }
    if (count == 0) {
        const QStringList devices = QDir(SoundRoot() + QStringLiteral("dev/snd"))
                                        .entryList({QStringLiteral("pcmC*D*p")}, QDir::System | QDir::Files);
        count = int(devices.size());
    }
    return count;
}

QString UserSettingsAppName() { return QStringLiteral("NRV\\") + ProgramName + QStringLiteral("\\") + UserName; }

// The event's wave file in the sound scheme; "" when the scheme names none.
// The scheme of this desktop is often empty, which is no error.
QString SchemeSound(const QString& eventName) {
    QString value;
    vb::Quiet([&] {
        value = platform::RegRead(QStringLiteral("HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\") +
                                  eventName + QStringLiteral("\\.Current\\"));
    });
    return value;
}

void PlayWaveFile(const QString& windowsPath) {
    const QString host = platform::ToHost(windowsPath);
    if (host.isEmpty() || !QFileInfo(host).isFile())
        return;  // nothing to play: the platform stays silent
    const QString player = QStandardPaths::findExecutable(QStringLiteral("aplay"));
    if (player.isEmpty())
        return;
    // Started on its own, with an argument list: the sound plays while the
    // program goes on.
    QProcess::startDetached(player, {QStringLiteral("-q"), host});
}

}  // namespace

void SetSoundRootForTest(const QString& hostRoot) { g_soundRoot = hostRoot; }

bool HasSound() {
    vb::Handler h(QStringLiteral("HasSound of Modul NRV_PlaySound"));
    bool result = false;
    h.Next(1, [&] { result = PlaybackDevices() > 0; });
    bSoundAvailable = result;
    return result;
}

void PlaySoundOnce(QString& soundName, bool& isEvent) {
    vb::Handler h(QStringLiteral("PlaySoundOnce of Modul NRV_PlaySound"));
    h.Next(1, [&] {
        if (isEvent && !soundName.contains(QLatin1Char('.')))
            soundName = SchemeSound(soundName);
    });
    h.Next(2, [&] {
        if (soundName.contains(QStringLiteral("%SystemRoot%")))
            soundName = GetWinDir() + vb::Mid(soundName, 13);
        else if (!soundName.contains(QLatin1Char(':')))
            soundName = GetWinDir() + QStringLiteral("\\media\\") + soundName;
    });
    h.Next(3, [&] {
        if (HasSound())
            PlayWaveFile(soundName);
    });
}

void PlaySoundOnce(const QString& soundName, bool isEvent) {
    QString name = soundName;
    PlaySoundOnce(name, isEvent);
}

void Ini_TTS() {
    const bool ok = vb::Quiet([] {
        if (!VoiceText)
            VoiceText = std::make_unique<SpeechVoice>();
        if (bSoundAvailable)
            VoiceText->Register(ProgramName,
                                QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
        platform::SaveSetting(UserSettingsAppName(), QStringLiteral("Settings"), QStringLiteral("TTS"),
                              QStringLiteral("-1"));
    });
    if (ok)
        return;

    vb::Handler h(QStringLiteral(" Ini_TTS of Modul NRV_PlaySound "));
    bool shownBefore = false;
    int answer = 0;
    h.Next(1, [&] { bSoundAvailable = false; });
    h.Next(2, [&] {
        const QString tts = platform::GetSetting(UserSettingsAppName(), QStringLiteral("Settings"),
                                                 QStringLiteral("TTS"), QStringLiteral("-1"));
        shownBefore = vb::Val(tts) == 0;
    });
    if (shownBefore)
        return;
    h.Next(3, [&] {
        const QString crlf = vb::vbCrLf;
        const QString text = LangText(52) + crlf + LangText(53) + crlf + QStringLiteral("Download url: ") +
                             kSpeechEngineUrl + crlf + QStringLiteral("Download url: ") + kSpeechVoicesUrl +
                             crlf + LangText(54) + crlf + crlf + LangText(55) + crlf + LangText(56) + crlf +
                             crlf + LangText(57);
        answer = platform::MsgBox(text, platform::vbOKCancel, LangText(23));
    });
    h.Next(4, [&] {
        platform::SaveSetting(UserSettingsAppName(), QStringLiteral("Settings"), QStringLiteral("TTS"),
                              QStringLiteral("0"));
    });
    h.Next(5, [&] {
        if (answer == platform::vbOK) {
            platform::ShellOpen(kSpeechEngineUrl);
            platform::ShellOpen(kSpeechVoicesUrl);
        }
    });
}

void ReleaseVoiceText() { VoiceText.reset(); }

void SpeakText(const QString& text) {
    vb::Quiet([&] {
        if (VoiceText && VoiceText->Registered())
            VoiceText->Speak(text, 1);
    });
}

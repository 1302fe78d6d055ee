// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "CommonTest.h"
#include "common/Globals.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_PlaySound.h"
#include "common/NRV_Registry.h"
#include "platform/SettingsStore.h"

namespace {
using platform::Dialogs;

class SoundTest : public CommonTest {
protected:
    void SetUp() override {
        CommonTest::SetUp();
        GetPCInfos();  // UserName for the settings path; its organisation miss is no concern here
        QFile::remove(logHost());
        soundRoot = hostDir("sound");
        SetSoundRootForTest(soundRoot);
    }
    void TearDown() override {
        SetSoundRootForTest({});
        SpeechVoice::SetEngineForTest(std::nullopt);
        ReleaseVoiceText();
        bSoundAvailable = false;
        if (!oldPath.isNull())
            qputenv("PATH", oldPath);
        CommonTest::TearDown();
    }
    void withPlaybackDevice() { testenv::writeFile(soundRoot + "/dev/snd/pcmC0D0p", ""); }
    // A stand-in player on PATH that writes its arguments into a file.
    QString fakePlayer() {
        const QString bin = hostDir("bin");
        const QString out = bin + "/played.txt";
        testenv::writeFile(bin + "/aplay", ("#!/bin/sh\necho \"$@\" > '" + out + "'\n").toUtf8());
        QFile::setPermissions(bin + "/aplay", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        oldPath = qgetenv("PATH");
        qputenv("PATH", (bin + ":" + QString::fromLocal8Bit(oldPath)).toLocal8Bit());
        return out;
    }
    static QString waitForFile(const QString& path) {
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(path) && t.elapsed() < 5000)
            QThread::msleep(20);
        QThread::msleep(50);
        return QString::fromUtf8(testenv::readFile(path)).trimmed();
    }
    static QString tts() {
        return platform::GetSetting("NRV\\Vaultora\\" + UserName, "Settings", "TTS", "missing");
    }
    QString soundRoot;
    QByteArray oldPath;
};

}  // namespace

TEST_F(SoundTest, PlaybackDevicesFound) {
    struct Case {
        const char* what;
        QString pcm;      // /proc/asound/pcm
        QString device;   // a file below /dev/snd
        bool expected;
    };
    const Case cases[] = {
        {"nothing", {}, {}, false},
        {"a playback line", "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1\n", {}, true},
        {"capture only", "00-00: USB Mic : USB Mic : capture 1\n", {}, false},
        {"a playback device node", {}, "pcmC1D0p", true},
        {"a capture device node", {}, "pcmC1D0c", false},
    };
    for (const Case& c : cases) {
        QDir(soundRoot).removeRecursively();
        QDir().mkpath(soundRoot);
        if (!c.pcm.isNull())
            testenv::writeFile(soundRoot + "/proc/asound/pcm", c.pcm.toUtf8());
        if (!c.device.isNull())
            testenv::writeFile(soundRoot + "/dev/snd/" + c.device, "");
        EXPECT_EQ(HasSound(), c.expected) << c.what;
        EXPECT_EQ(bSoundAvailable, c.expected) << c.what;
    }
}

TEST_F(SoundTest, SoundNamesResolve) {
    CreateKey("HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\ding\\.Current\\",
              "%SystemRoot%\\media\\ding.wav");
    CreateKey("HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\close\\.Current\\", "D:\\Sounds\\bye.wav");
    const QString win = GetWinDir();
    struct Case {
        QString name;
        bool isEvent;
        QString expected;
    };
    const Case cases[] = {
        {"ding", true, win + "\\media\\ding.wav"},
        {"ding.wav", false, win + "\\media\\ding.wav"},
        {"close", true, "D:\\Sounds\\bye.wav"},
        {"C:\\My\\tone.wav", false, "C:\\My\\tone.wav"},
        {"C:\\My\\tone.wav", true, "C:\\My\\tone.wav"},
        {"ding", false, win + "\\media\\ding"},          // not an event: a file name
        {"nosuchevent", true, win + "\\media\\"},         // the scheme names nothing
    };
    for (const Case& c : cases) {
        QString name = c.name;
        bool isEvent = c.isEvent;
        PlaySoundOnce(name, isEvent);
        EXPECT_EQ(name, c.expected) << c.name.toStdString();
    }
    // An event that the scheme does not know is no error.
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
}

TEST_F(SoundTest, TheWaveFileIsPlayedOnlyWithADevice) {
    const QString played = fakePlayer();
    const QString wave = hostDir("waves") + "/tone.wav";
    testenv::writeFile(wave, "RIFF");
    PlaySoundOnce(platform::ToWindows(wave), false);
    QThread::msleep(300);
    EXPECT_FALSE(QFile::exists(played)) << "played without a sound device";

    withPlaybackDevice();
    PlaySoundOnce(platform::ToWindows(wave), false);
    EXPECT_EQ(waitForFile(played), "-q " + wave);
}

TEST_F(SoundTest, SpeechHintIsShownOnceUntilSpeechWorks) {
    withPlaybackDevice();
    SpeechVoice::SetEngineForTest(false);

    // First start without working speech: the hint; OK opens both pages.
    ASSERT_TRUE(HasSound());
    Dialogs::scriptAnswers({int(platform::vbOK)});
    Ini_TTS();
    EXPECT_FALSE(bSoundAvailable);
    EXPECT_EQ(tts(), "0");
    ASSERT_EQ(Dialogs::shown().size(), 3);
    const auto& box = Dialogs::shown()[0];
    EXPECT_EQ(box.style, int(platform::vbOKCancel));
    EXPECT_EQ(box.title, LangText(23));
    EXPECT_TRUE(box.prompt.contains("\r\nDownload url: " + kSpeechEngineUrl + "\r\nDownload url: " +
                                    kSpeechVoicesUrl + "\r\n"))
        << box.prompt.toStdString();
    EXPECT_EQ(Dialogs::shown()[1].prompt, kSpeechEngineUrl);
    EXPECT_EQ(Dialogs::shown()[2].prompt, kSpeechVoicesUrl);

    // The next start: nothing shown.
    ASSERT_TRUE(HasSound());
    Dialogs::scriptAnswers({});
    Ini_TTS();
    EXPECT_TRUE(Dialogs::shown().isEmpty());
    EXPECT_FALSE(bSoundAvailable);

    // A start with working speech, then one without: the hint again; Cancel
    // opens nothing.
    SpeechVoice::SetEngineForTest(true);
    ReleaseVoiceText();
    ASSERT_TRUE(HasSound());
    Ini_TTS();
    EXPECT_TRUE(bSoundAvailable);
    EXPECT_EQ(tts(), "-1");
    EXPECT_TRUE(Dialogs::shown().isEmpty());
    SpeakText("Hello");
    EXPECT_EQ(SpeechVoice::SpokenForTest(), QStringList{"Hello"});

    SpeechVoice::SetEngineForTest(false);
    ReleaseVoiceText();
    ASSERT_TRUE(HasSound());
    Dialogs::scriptAnswers({int(platform::vbCancel)});
    Ini_TTS();
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(tts(), "0");
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
}

TEST_F(SoundTest, WithoutASoundDeviceSpeechIsNotStartedAndNoHintShown) {
    SpeechVoice::SetEngineForTest(false);  // would fail if it were started
    ASSERT_FALSE(HasSound());
    Dialogs::scriptAnswers({});
    Ini_TTS();
    EXPECT_TRUE(Dialogs::shown().isEmpty());
    EXPECT_EQ(tts(), "-1");
    ASSERT_NE(VoiceText, nullptr);
    EXPECT_FALSE(VoiceText->Registered());
    SpeakText("nothing");
    EXPECT_TRUE(SpeechVoice::SpokenForTest().isEmpty());
}

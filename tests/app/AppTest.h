// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/TestEnv.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"

// Start-up tests: the English texts, the login name's settings path emptied,
// no profile files, no error.log.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        InstallErrorLog();
        SetErrorIndicatorHook({});
        ProgramName = QStringLiteral("Vaultora");
        GetPCInfos();  // the same UserName as the program started by a test
        CurrentLanguage = QStringLiteral("english");
        if (LangText(3).isEmpty()) {
            ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
        }
        bSoundAvailable = false;
        RunMode = false;
        vb::Quiet([] { platform::DeleteSetting(settings::UserSettingsApp()); });
        QDir program(testenv::programDir());
        for (const QString& name : program.entryList({QStringLiteral("*.pfl")}, QDir::Files | QDir::Hidden))
            program.remove(name);
        QFile::remove(logHost());
        platform::Dialogs::scriptAnswers({});
    }
    void TearDown() override { platform::Dialogs::reset(); }

    static QString logHost() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    static QString win(const QString& hostPath) { return platform::ToWindows(hostPath); }
    static void writeProfileFile(const QString& programDir, const QString& profile) {
        testenv::writeFile(programDir + "/" + profile + ".pfl", QByteArray());
    }
    static void storeUser(const QString& key, const QString& value) {
        platform::SaveSetting(settings::UserSettingsApp(), QStringLiteral("Settings"), key, value);
    }
    static QString storedUser(const QString& key) {
        return platform::GetSetting(settings::UserSettingsApp(), QStringLiteral("Settings"), key,
                                    QStringLiteral("<none>"));
    }
    static void storeProfile(const QString& profile, const QString& key, const QString& value) {
        platform::SaveSetting(settings::ProfileSettingsApp(profile), QStringLiteral("Settings"), key, value);
    }
    static QString storedProfile(const QString& profile, const QString& key) {
        return platform::GetSetting(settings::ProfileSettingsApp(profile), QStringLiteral("Settings"), key,
                                    QStringLiteral("<none>"));
    }
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QFile>
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

// A main window with the English texts, the error log, no stored settings
// and scripted dialog answers.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        InstallErrorLog();
        SetErrorIndicatorHook({});
        ProgramName = QStringLiteral("Vaultora");
        GetPCInfos();
        CurrentLanguage = QStringLiteral("english");
        if (LangText(3).isEmpty()) {
            ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
        }
        RunMode = false;
        vb::Quiet([] { platform::DeleteSetting(settings::UserSettingsApp()); });
        QFile::remove(logHost());
        platform::Dialogs::scriptAnswers({});
        w = std::make_unique<frmMain_BackUp>();
        platform::Dialogs::scriptAnswers({});
    }
    void TearDown() override {
        w.reset();
        platform::Dialogs::reset();
    }

    static QString logHost() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    // The prompts of the boxes shown since the last script.
    static QStringList prompts() {
        QStringList out;
        for (const auto& s : platform::Dialogs::shown())
            out << s.prompt;
        return out;
    }
    static QString win(const QString& hostPath) { return platform::ToWindows(hostPath); }

    std::unique_ptr<frmMain_BackUp> w;
};

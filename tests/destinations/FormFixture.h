// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window of its own for each test, with the program's services set
// up as start-up sets them up, scripted dialogs and an empty error log.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/frmMain_BackUp.h"

class FormFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::InstallPathLayer();
        InstallErrorLog();
        ProgramName = QStringLiteral("Vaultora");
        GetPCInfos();
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
    }
    void SetUp() override {
        platform::Dialogs::scriptAnswers({});
        form = std::make_unique<frmMain_BackUp>();
        QFile::remove(ErrorLogFile());
    }
    void TearDown() override {
        form.reset();
        platform::Dialogs::reset();
    }
    frmMain_BackUp& f() { return *form; }
    static QString ErrorLogFile() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    static QString ErrorLog() { return QString::fromUtf8(testenv::readFile(ErrorLogFile())); }

    std::unique_ptr<frmMain_BackUp> form;
};

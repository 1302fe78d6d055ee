// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window for the tests of the destinations, set up as the program's
// start-up would: path layer, error log, identity and the English texts.
#include <gtest/gtest.h>

#include <memory>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "support/ProgramSession.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"

class FormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(testenv::StartProgramSession()); }
    void SetUp() override {
        platform::Dialogs::scriptAnswers({});
        form = std::make_unique<frmMain_BackUp>();
    }
    void TearDown() override {
        form.reset();
        vb::ResetClock();
        platform::Dialogs::reset();
    }
    std::unique_ptr<frmMain_BackUp> form;
};

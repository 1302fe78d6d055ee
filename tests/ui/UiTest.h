// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "app/AppTest.h"

// A main window over the start-up tests' set-up (the English texts, the error
// log, no stored settings, scripted dialog answers).
class UiTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        w = std::make_unique<frmMain_BackUp>();
        platform::Dialogs::scriptAnswers({});
    }
    void TearDown() override {
        w.reset();
        AppTest::TearDown();
    }

    // The prompts of the boxes shown since the last script.
    static QStringList prompts() {
        QStringList out;
        for (const auto& s : platform::Dialogs::shown())
            out << s.prompt;
        return out;
    }

    std::unique_ptr<frmMain_BackUp> w;
};

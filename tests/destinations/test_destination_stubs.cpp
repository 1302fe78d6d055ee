// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "destinations/NRV_InetFTP.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"

class DestinationStubTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
        platform::Dialogs::scriptAnswers({});
        form = std::make_unique<frmMain_BackUp>();
        form->RtbNews1->setText("earlier line\r\n");
    }
    void TearDown() override {
        form.reset();
        platform::Dialogs::reset();
    }
    // The run log's lines, newest first, without the one written in SetUp.
    QStringList newLines() const {
        QStringList lines = form->RtbNews1->Text().split("\r\n");
        lines.removeAll(QString());
        lines.removeAll("earlier line");
        return lines;
    }
    std::unique_ptr<frmMain_BackUp> form;
};

// No destination of these kinds is offered yet: every call says so in one
// run-log line on top and reports failure, so that no run counts a transfer
// that was not made.
TEST_F(DestinationStubTest, EachDestinationSaysItIsNotAvailableAndFails) {
    struct Case {
        const char* name;
        std::function<bool()> call;   // true: the call reported success
    };
    const std::vector<Case> cases = {
        {"FTPcopy_files", [] { return FTPcopy_files(false, "C:\\x.zip", "x.zip"); }},
        {"FTPtest_connection", [] { return FTPtest_connection("", true); }},
        {"FTPretrieve_files", [] { return FTPretrieve_files("", "x.zip", "C:\\Temp", "x.zip"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->RtbNews1->setText("earlier line\r\n");
        EXPECT_FALSE(c.call());
        EXPECT_EQ(newLines(), QStringList{QString::fromUtf8(c.name) + ": " + LangText(21)});
        EXPECT_TRUE(form->RtbNews1->Text().endsWith("earlier line\r\n"));
    }
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
}

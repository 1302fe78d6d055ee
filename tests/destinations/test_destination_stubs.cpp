// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "destinations/NRV_InetFTP.h"
#include "destinations/NRV_modShutDown.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SessionEnder.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"

namespace {

class FakeEnder : public platform::SessionEnder {
public:
    bool EndSession(quint32 flags) override {
        requests.push_back(flags);
        return true;
    }
    std::vector<quint32> requests;
};

}  // namespace

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
        platform::SetSessionEnder(nullptr);
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
        {"SendMailNotice", [this] { form->SendMailNotice("C:\\x.zip"); return false; }},
        {"FTPcopy_files", [] { return FTPcopy_files(false, "C:\\x.zip", "x.zip"); }},
        {"FTPtest_connection", [] { return FTPtest_connection("", true); }},
        {"FTPretrieve_files", [] { return FTPretrieve_files("", "x.zip", "C:\\Temp", "x.zip"); }},
        {"ExitWindowsSession", [] { ExitWindowsSession(8, 1); return false; }},
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

TEST_F(DestinationStubTest, SessionEndRequests) {
    struct Case {
        qint32 how, force;
        quint32 flags;
    };
    const std::vector<Case> cases = {
        {8, 1, 13}, {8, 0, 9}, {1, 0, 1}, {1, 2, 17}, {2, 0, 3}, {2, 1, 7}, {4, 0, 0}, {4, 2, 16}, {3, 0, 0}, {0, 1, 4},
    };
    FakeEnder fake;
    platform::SetSessionEnder(&fake);
    for (const Case& c : cases) {
        fake.requests.clear();
        ExitWindowsSession(c.how, c.force);
        EXPECT_EQ(fake.requests, std::vector<quint32>{c.flags}) << c.how << "," << c.force;
    }
    // A request that was made writes nothing into the run log.
    EXPECT_TRUE(newLines().isEmpty());
}

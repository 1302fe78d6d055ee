// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "destinations/Vaultora_CDWriterXP.h"
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
        {"OpenCopy2CD", [] { OpenCopy2CD(); return false; }},
        {"AddImage2CD", [] { AddImage2CD("", "C:\\x.zip"); return false; }},
        {"RemoveImage2CD", [] { RemoveImage2CD("", "C:\\x.zip"); return false; }},
        {"BurnCD", [] { BurnCD(); return false; }},
        {"FreeCdSpace", [this] { return form->FreeCdSpace() != 0; }},
        {"SetStatusCDR", [this] { form->SetStatusCDR(); return false; }},
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

TEST_F(DestinationStubTest, TheDiscStatusShowsNoDisc) {
    form->lblDriveInfo(4)->setCaption(LangText(5));
    form->lblDriveInfo(1)->setCaption("kept");
    form->SetStatusCDR();
    EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(14));
    EXPECT_EQ(form->lblDriveInfo(1)->Caption(), "kept");
}

TEST_F(DestinationStubTest, TickingTheRecorderFallsBackToTheFolder) {
    form->chkMedia->setValue(1);
    form->txtPathBackUp->setText("C:\\");
    form->lblDriveInfo(4)->setCaption("untouched");
    form->chkUseCDRecorder->setValue(1);
    EXPECT_EQ(form->chkUseCDRecorder->Value(), 0);
    EXPECT_EQ(form->Label4->Caption(), "Dest. Directory:");
    EXPECT_FALSE(form->txtPathBackUp->isHidden());
    EXPECT_FALSE(form->cmdSelectPath->isHidden());
    EXPECT_TRUE(form->cboDevices->isHidden());
    EXPECT_TRUE(form->cboWriteSpeed->isHidden());
    EXPECT_TRUE(form->chkUseBurnProof->isHidden());
    // The destination was checked again: the home drive is ready.
    EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(5));
    EXPECT_EQ(newLines(), QStringList{"chkUseCDRecorder: " + LangText(21)});
    // Choosing another recorder checks the destination again.
    form->lblDriveInfo(4)->setCaption("untouched");
    form->cboDevices_Click();
    EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(5));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder panel, the disc image, the burn and the writer's events,
// against a scripted CD-writer component.
#include <gtest/gtest.h>

#include "destinations/FormFixture.h"

#include <QFile>
#include <QLocale>
#include <memory>

#include "FakeCdWriter.h"
#include "FastClock.h"
#include "ShownTexts.h"
#include "support/TestEnv.h"
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "settings/KeyControls.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Format.h"

class CdRecorderTest : public FormFixture {
protected:
    static void SetUpTestSuite() {
        FormFixture::SetUpTestSuite();
        QLocale::setDefault(QLocale::c());
    }
    void SetUp() override {
        // The window makes its writer when first asked for it: the fake's.
        platform::SetCDWriterFactory([this] {
            auto w = std::make_unique<FakeCdWriter>();
            fake = w.get();
            return std::unique_ptr<platform::CDWriterXP>(std::move(w));
        });
        FormFixture::SetUp();
        form->CDWriterXP1();
        form->chkMedia->setValue(1);
        form->txtPathBackUp->setText("C:\\");
        CdWriting = false;
        SavedCdDevice = 0;
        SavedCdSpeed = 0;
    }
    void TearDown() override {
        FormFixture::TearDown();
        platform::SetCDWriterFactory({});
        CdWriting = false;
    }

    QStringList SpeedList() const {
        QStringList out;
        for (int i = 0; i < form->cboWriteSpeed->ListCount(); ++i)
            out << form->cboWriteSpeed->List(i);
        return out;
    }
    QStringList Calls(const QString& prefix) const {
        QStringList out;
        for (const QString& c : fake->calls)
            if (c.startsWith(prefix))
                out << c;
        return out;
    }

    FakeCdWriter* fake = nullptr;
};

TEST_F(CdRecorderTest, TheSpeedListCountsDownFromTheRecordersMaximum) {
    struct Case {
        qint16 max;
        QStringList list;
    };
    QStringList from52;
    for (int s = 52; s >= 4; s -= 4)
        from52 << QString::number(s) + "x";
    from52 << "2x" << "1x";
    const QList<Case> cases = {
        {52, from52},
        {5, {"5x", "1x"}},
        {3, {"3x", "2x", "1x"}},
        {7, {"7x", "3x", "2x", "1x"}},
        {0, {"Default"}},
        {-1, {"Default"}},
        {30000, from52},   // an absurd report is capped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.max);
        fake->recorders = {{"E", "Writer", "Maker", c.max, false}};
        fake->calls.clear();
        form->chkUseCDRecorder->setValue(1);
        EXPECT_EQ(SpeedList(), c.list);
        EXPECT_EQ(form->cboWriteSpeed->ListIndex(), 0);
        // The first entry's speed is sent; "Default" sends none.
        const QStringList sent = Calls("SetWriteSpeed");
        if (c.max > 0) {
            EXPECT_EQ(sent.value(sent.size() - 1), QString("SetWriteSpeed(%1)").arg(qMin<int>(c.max, 52)));
        } else {
            EXPECT_TRUE(sent.isEmpty());
        }
        form->chkUseCDRecorder->setValue(0);
    }
    // Another speed chosen sends its factor.
    fake->recorders = {{"E", "Writer", "Maker", 7, false}};
    form->chkUseCDRecorder->setValue(1);
    fake->calls.clear();
    form->cboWriteSpeed->setListIndex(2);
    EXPECT_EQ(fake->calls, QStringList{"SetWriteSpeed(2)"});
}

TEST_F(CdRecorderTest, WithoutARecorderTheFolderStaysTheDestination) {
    form->chkUseCDRecorder->setValue(1);
    EXPECT_EQ(ShownTexts(), QStringList{"There are no compatible CDR drives reported.\r\n"
                                        "Some older CDR drives are not currently supported."});
    EXPECT_EQ(platform::Dialogs::shown().at(0).style, platform::vbInformation);
    EXPECT_EQ(form->chkUseCDRecorder->Value(), 0);
    EXPECT_EQ(form->Label4->Caption(), "Dest. Directory:");
    EXPECT_FALSE(form->txtPathBackUp->isHidden());
    EXPECT_FALSE(form->cmdSelectPath->isHidden());
    EXPECT_TRUE(form->cboDevices->isHidden());
    EXPECT_TRUE(form->cboWriteSpeed->isHidden());
    EXPECT_TRUE(form->chkUseBurnProof->isHidden());
    EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(5));   // the folder was checked again
}

TEST_F(CdRecorderTest, ASavedSpeedTheListLacksLeavesTheFirstSpeedShown) {
    fake->recorders = {{"stdio", "/tmp/disc.iso", "Image file", 0, false}, {"E", "CDR-1", "Maker", 8, false}};
    for (const qint16 saved : {qint16(-1), qint16(7)}) {
        SCOPED_TRACE(saved);
        form->chkUseCDRecorder->setValue(0);
        SavedCdDevice = 0;
        SavedCdSpeed = saved;
        form->chkUseCDRecorder->setValue(1);
        EXPECT_EQ(form->cboWriteSpeed->ListIndex(), 0);
        EXPECT_EQ(form->cboWriteSpeed->Text(), "Default");
    }
}

TEST_F(CdRecorderTest, TickingTheRecorderListsItAndRestoresTheProfilesChoice) {
    fake->recorders = {{"E", "CDR-1", "Maker", 8, false}, {"stdio", "/tmp/disc.iso", "Image file", 16, true}};
    SavedCdDevice = 1;
    SavedCdSpeed = 2;
    form->chkAppendArchive->setValue(1);
    form->chkUseCDRecorder->setValue(1);
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    EXPECT_EQ(form->Label4->Caption(), "Recorder:");
    EXPECT_TRUE(form->txtPathBackUp->isHidden());
    EXPECT_FALSE(form->cboDevices->isHidden());
    EXPECT_EQ(form->cboDevices->List(0), "E: Maker CDR-1");
    EXPECT_EQ(form->cboDevices->List(1), "stdio: Image file /tmp/disc.iso");
    EXPECT_EQ(form->cboDevices->ListIndex(), 1);
    EXPECT_EQ(fake->selected, 1);
    EXPECT_EQ(form->cboWriteSpeed->Text(), "8x");
    EXPECT_EQ(Calls("SetWriteSpeed").last(), "SetWriteSpeed(8)");
    EXPECT_EQ(form->chkAppendArchive->Value(), 0);
    EXPECT_TRUE(form->chkUseBurnProof->isEnabled());   // the second recorder offers it
    EXPECT_EQ(form->chkUseBurnProof->Value(), 0);
    EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(5));

    // Appending to an archive cannot go with the recorder.
    form->chkAppendArchive->setValue(1);
    EXPECT_EQ(ShownTexts(), QStringList{LangText(233)});
    EXPECT_EQ(platform::Dialogs::shown().at(0).title, "Vaultora Info");
    EXPECT_EQ(form->chkAppendArchive->Value(), 0);

    // The first recorder has no underrun protection: the box is cleared and disabled.
    form->chkUseBurnProof->setValue(1);
    form->cboDevices->setListIndex(0);
    EXPECT_FALSE(form->chkUseBurnProof->isEnabled());
    EXPECT_EQ(form->chkUseBurnProof->Value(), 0);
}

TEST_F(CdRecorderTest, TheDiscStatusPanel) {
    fake->recorders = {{"E", "CDR-1", "Maker", 8, false}};
    form->chkUseCDRecorder->setValue(1);
    // Not ready: only row 4 changes.
    fake->ready = false;
    for (int i : {1, 6, 7, 8, 10, 11})
        form->lblDriveInfo(i)->setCaption("kept");
    form->SetStatusCDR();
    EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(14));
    for (int i : {1, 6, 7, 8, 10, 11})
        EXPECT_EQ(form->lblDriveInfo(i)->Caption(), "kept") << i;

    struct Case {
        qint32 type, status, session;
        QString typeText, statusText, sessionText;
    };
    const QList<Case> cases = {
        {0, 0, 0, "CD-DA/CD-ROM", "Empty Disc", "Empty Session"},
        {16, 1, 1, "CDI", "Disc Open", "Incomplete Session"},
        {32, 2, 2, "CD-ROM XA", "Disc is Closed", "Unknown"},
        {255, 3, 3, LangText(12), LangText(12), "Closed Session"},
        {8, 7, 9, "kept", "kept", "kept"},   // codes without a text leave the rows
    };
    fake->ready = true;
    fake->sessions = 2;
    fake->infoCount = 3;
    fake->VolumeLabel = "2026-12-10";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        for (int i : {1, 6, 7})
            form->lblDriveInfo(i)->setCaption("kept");
        fake->type = c.type;
        fake->status = c.status;
        fake->sessionStatus = c.session;
        form->SetStatusCDR();
        EXPECT_EQ(form->lblDriveInfo(4)->Caption(), LangText(5));
        EXPECT_EQ(form->lblDriveInfo(1)->Caption(), c.typeText);
        EXPECT_EQ(form->lblDriveInfo(6)->Caption(), c.statusText);
        EXPECT_EQ(form->lblDriveInfo(7)->Caption(), c.sessionText);
        EXPECT_EQ(form->lblDesc(6)->Caption(), "Disc Status:");
        EXPECT_EQ(form->lblDesc(7)->Caption(), "Session Status:");
        EXPECT_EQ(form->lblDesc(8)->Caption(), "Num. Sessions:");
        EXPECT_EQ(form->lblDriveInfo(8)->Caption(), "2");
        EXPECT_EQ(form->lblDriveInfo(10)->Caption(), "2026-12-10");
        EXPECT_EQ(form->lblDriveInfo(11)->Caption(), "3");
    }
    // Free space is 64-bit: a disc of 8 GB free is not cut to 32 bits.
    fake->freeSectors = 4 * 1024 * 1024;
    EXPECT_EQ(form->FreeCdSpace(), qint64(8) * 1024 * 1024 * 1024);
}

TEST_F(CdRecorderTest, OpeningADiscForANewImage) {
    struct Case {
        const char* name;
        qint32 status, session;
        bool closeOk, importOk;
        QStringList calls;   // CloseSession / ImportSession
        QStringList shown;
        QString notReady = {};
    };
    const QString closed = "Disk closed\r\nPlease insert a new media.";
    const QList<Case> cases = {
        {"empty", 0, 0, true, true, {}, {}},
        {"closed", 2, 3, true, true, {}, {closed}},
        {"other", 3, 3, true, true, {}, {closed}},
        {"open, closed session", 1, 3, true, true, {"ImportSession(true)"}, {}},
        {"open, empty session", 1, 0, true, true, {"ImportSession(true)"}, {}},
        {"incomplete session", 1, 1, true, true, {"CloseSession(false)", "ImportSession(true)"}, {}},
        {"closing fails", 1, 1, false, true, {"CloseSession(false)", "ImportSession(true)"},
         {"Error attempting to Close former Session!"}},
        {"unknown session", 1, 2, true, true, {}, {"Unexpected error.\r\nPlease insert a new media."}},
        {"import fails", 1, 3, true, false, {"ImportSession(true)"},
         {"Previous Session could not be imported\r\nOnly ISO/Joliet tracks (Mode1) can be imported.",
          "The CD recorder will exit now\r\nInsert a new media."}},
        // A recorder that cannot be used says why, not that the disc is closed.
        {"cannot be used", 3, 3, true, true, {}, {"The disc image file Z:\\x\\d.iso cannot be created: no folder"},
         "The disc image file Z:\\x\\d.iso cannot be created: no folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::Dialogs::scriptAnswers({});
        fake->calls.clear();
        fake->status = c.status;
        fake->sessionStatus = c.session;
        fake->closeOk = c.closeOk;
        fake->importOk = c.importOk;
        fake->notReady = c.notReady;
        OpenCopy2CD();
        EXPECT_EQ(fake->calls.value(0), "RefreshDiscInfo");
        EXPECT_EQ(fake->calls.mid(1), c.calls);
        EXPECT_EQ(ShownTexts(), c.shown);
        for (const platform::Dialogs::Shown& s : platform::Dialogs::shown())
            EXPECT_EQ(s.style, platform::vbCritical);
    }
}

TEST_F(CdRecorderTest, ImageEntriesAreNamedRelativeToTheDiscRoot) {
    struct Case {
        QString folder, entry;
    };
    const QList<Case> cases = {
        {"  D:\\Backup\\Docs  ", "Backup\\Docs\\a.zip"},
        {"\\\\server\\share\\dir", "server\\share\\dir\\a.zip"},
        {"", "a.zip"},
        {"D:", "a.zip"},     // a file from a drive root goes to the disc root
        {"D:\\", "a.zip"},
        {"\\", "a.zip"},
        {"Backup\\", "Backup\\a.zip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        fake->calls.clear();
        AddImage2CD(c.folder, "C:\\x\\a.zip");
        RemoveImage2CD(c.folder, "C:\\x\\a.zip");
        EXPECT_EQ(fake->calls, (QStringList{"AddFile(" + c.entry + ")", "RemoveFile(" + c.entry + ")"}));
        EXPECT_TRUE(fake->image.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(ErrorLogFile()));
    // The size of the image, in bytes, as the run compares it.
    AddImage2CD("", "C:\\x\\a.zip");
    AddImage2CD("", "C:\\x\\b.zip");
    EXPECT_EQ(CdImageSize(), 2 * 100 * 2048.0);
}

TEST_F(CdRecorderTest, ErrorTexts) {
    fake->extended = "sense 5 21 00";
    struct W {
        qint32 type, code;
        QString text;
    };
    const QList<W> write = {
        {0, 0, "The read buffer could not be initialized...check your memory/disc resources."},
        {1, 0, "The write buffer could not be initialized...check your memory/disc resources."},
        {2, 7, "A file error was encountered while writing the disc."},
        {3, 1008, "A buffer under-run has occurred (1008)."},
        {3, 1000, "No additional error data was reported (1000)."},
        {3, 1053, "A seek command was interrupted by another command (1053)."},
        {3, 999, " (999)."},
        {3, 1054, " (1054)."},
        {3, 1051, "An unknown device error has occurred (1051).\r\nExtended Error Data - sense 5 21 00"},
        {4, 0, "Tracks have been added the disc image...Please add tracks and try again."},
        {5, 0, "Tracks have been added the disc image with an invalid format...Please try again."},
        {6, 0, "Unknown writing error."},
        {-1, 0, "Unknown writing error."},
    };
    for (const W& w : write)
        EXPECT_EQ(GetWriteErrorText(*fake, w.type, w.code), w.text) << w.type << "/" << w.code;
    EXPECT_EQ(DeviceErrorText(1021), "Error trying to write past the end of the media (1021).");
    EXPECT_EQ(DeviceErrorText(1040), "The current track mode is incompatible with the disc format (1040).");

    const QList<std::pair<qint32, QString>> file = {
        {0, "Error opening file: C:\\a.zip"}, {1, "Error reading file: C:\\a.zip"},
        {2, "Error writing file: C:\\a.zip"}, {3, "Unknown file error!:"},
        {4, "Error buffering file: C:\\a.zip"}, {5, "Unknown file error!:"},
    };
    for (const auto& [type, text] : file)
        EXPECT_EQ(GetFileErrorText(type, "C:\\a.zip"), text) << type;
}

TEST_F(CdRecorderTest, WritingEventsMoveTheStatusAndTheBar) {
    form->ProgressBar3->show();
    struct Case {
        std::function<void()> raise;
        QString status;
        int bar;   // -1: not looked at
    };
    const QList<Case> cases = {
        {[&] { emit fake->PreparingToWrite(); }, "Preparing to Write....", 0},
        {[&] { emit fake->CreatingDirectories(); }, "Creating Directories....", -1},
        {[&] { emit fake->PreparingToWriteTrack(3, 3000); }, "Preparing to Write Track #03", -1},
        {[&] { emit fake->WritingTrack(3, 1000, 0); }, "Writing Track #03... ", 33},
        {[&] { emit fake->PreparingToWriteTrack(12, 2000); }, "Preparing to Write Track #12", -1},
        {[&] { emit fake->WritingTrack(12, 1010, 0); }, "Writing Track #12... ", 50},   // 50.5
        {[&] { emit fake->WritingTrack(12, 30, 0); }, "Writing Track #12... ", 2},      // 1.5
        {[&] { emit fake->WritingTrack(12, 5000, 0); }, "Writing Track #12... ", 100},  // never past 100
        {[&] { emit fake->PreparingToWriteTrack(1, 0); }, "Preparing to Write Track #01", -1},
        {[&] { emit fake->WritingTrack(1, 500, 0); }, "Writing Track #01... ", 0},     // no size: 0 %
        {[&] { emit fake->ClosingTrack(1); }, "Closing Track....", -1},
        {[&] { emit fake->ClosingSession(); }, "Closing Session....", -1},
        {[&] { emit fake->ClosingDisc(); }, "Closing Disc....", -1},
        {[&] { emit fake->ReadingFile(7); }, "Reading File...7", -1},
        {[&] { emit fake->FileError(1, "C:\\a.zip"); }, "Error reading file: C:\\a.zip", -1},
        {[&] { emit fake->CachingTrack(1, 200); }, "Error reading file: C:\\a.zip", -1},
        {[&] { emit fake->CachingTrackStatus(13); }, "Caching Track - 06 %", -1},   // 6.5
        {[&] { emit fake->CachingTrackStatus(200); }, "Caching Track - 100 %", -1},
        {[&] { emit fake->CachingTrack(1, 0); }, "Caching Track - 100 %", -1},
        {[&] { emit fake->CachingTrackStatus(5); }, "Caching Track - 00 %", -1},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        c.raise();
        EXPECT_EQ(form->txtNews->Text(), c.status);
        if (c.bar >= 0) {
            EXPECT_EQ(form->ProgressBar3->Value(), c.bar);
        }
    }
    EXPECT_FALSE(QFile::exists(ErrorLogFile()));

    // The end of a write: the flag goes, the bar hides; AfterWriteAction
    // only when AfterWriteOption is false.
    CdWriting = true;
    fake->AfterWriteOption = true;
    emit fake->WriteComplete();
    EXPECT_EQ(form->txtNews->Text(), "Writing Complete!");
    EXPECT_FALSE(CdWriting);
    EXPECT_TRUE(form->ProgressBar3->isHidden());
    EXPECT_TRUE(Calls("AfterWriteAction").isEmpty());
    fake->AfterWriteOption = false;
    emit fake->WriteComplete();
    EXPECT_EQ(Calls("AfterWriteAction").size(), 1);

    // A write error: the message comes while the flag still stands.
    CdWriting = true;
    form->ProgressBar3->show();
    bool writingWhileShown = false;
    fake->onExtendedErrorData = [&] { writingWhileShown = CdWriting; };
    emit fake->WriteError(3, 1051);
    EXPECT_TRUE(writingWhileShown);
    EXPECT_EQ(ShownTexts(), QStringList{"An unknown device error has occurred (1051).\r\nExtended Error Data - " +
                                        fake->extended});
    EXPECT_EQ(platform::Dialogs::shown().at(0).style, platform::vbCritical);
    EXPECT_EQ(form->txtNews->Text(), "A write error occurred..");
    EXPECT_FALSE(CdWriting);
    EXPECT_TRUE(form->ProgressBar3->isHidden());
}

TEST_F(CdRecorderTest, BurningWritesTheImageAndWaitsForTheEnd) {
    fake->recorders = {{"E", "CDR-1", "Maker", 8, true}};
    form->chkUseCDRecorder->setValue(1);
    form->chkUseBurnProof->setValue(1);
    const FastClock clock;
    // An empty image is not written at all.
    EXPECT_TRUE(BurnCD());
    EXPECT_TRUE(fake->calls.filter("StartWrite").isEmpty());
    EXPECT_TRUE(AddImage2CD("", "C:\\x\\a.zip"));
    fake->calls.clear();
    EXPECT_TRUE(BurnCD());
    EXPECT_EQ(CdWriteFailure, "");
    const QString today = vb::Date().toString("yyyy-MM-dd");
    EXPECT_EQ(fake->calls,
              (QStringList{"StartWrite(true) label=" + today + " after=0 settings=10111", "AfterWriteAction"}));
    EXPECT_FALSE(CdWriting);
    EXPECT_TRUE(form->ProgressBar3->isHidden());
    EXPECT_EQ(form->txtNews->Text(), "Writing Complete!");
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    EXPECT_TRUE(form->cboDevices->isEnabled());

    // A write that does not start.
    fake->outcome = FakeCdWriter::Outcome::NotStarted;
    fake->started = false;
    AddImage2CD("", "C:\\x\\a.zip");
    EXPECT_FALSE(BurnCD());
    EXPECT_EQ(ShownTexts(), QStringList{"Disc Write could not be started."});
    EXPECT_EQ(CdWriteFailure, "Disc Write could not be started.");
    EXPECT_FALSE(CdWriting);
    EXPECT_TRUE(form->ProgressBar3->isHidden());

    // A write error ends the wait after its message.
    platform::Dialogs::scriptAnswers({});
    fake->outcome = FakeCdWriter::Outcome::Error;
    fake->errorType = 3;
    fake->errorCode = 1008;
    AddImage2CD("", "C:\\x\\a.zip");
    EXPECT_FALSE(BurnCD());
    EXPECT_EQ(ShownTexts(), QStringList{"A buffer under-run has occurred (1008)."});
    // The reason the run reports carries the writer's own details.
    EXPECT_EQ(CdWriteFailure, "A buffer under-run has occurred (1008). (" + fake->extended + ")");
    EXPECT_FALSE(CdWriting);
    EXPECT_TRUE(form->cboDevices->isEnabled());
}

TEST_F(CdRecorderTest, AWriteThatNeverEndsIsCancelledAfterThirtyMinutes) {
    fake->recorders = {{"E", "CDR-1", "Maker", 8, false}};
    form->chkUseCDRecorder->setValue(1);
    const FastClock clock;
    fake->outcome = FakeCdWriter::Outcome::NeverEnds;
    AddImage2CD("", "C:\\x\\a.zip");
    const qint64 start = vb::MonotonicMs();
    EXPECT_FALSE(BurnCD());
    // (Every step of the wait takes at least a second of the clock.)
    EXPECT_GE(vb::MonotonicMs() - start, 1800 * 1000LL);
    EXPECT_EQ(Calls("CancelWrite").size(), 1);
    EXPECT_EQ(CdWriteFailure, "The disc write did not end within 30 minutes and was cancelled.");
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    // The drive still writes: the flag stands, and the recorder cannot be
    // changed, not even from code.
    EXPECT_TRUE(CdWriting);
    EXPECT_FALSE(form->cboDevices->isEnabled());
    EXPECT_FALSE(form->chkUseCDRecorder->isEnabled());
    form->cboDevices_Click();
    EXPECT_TRUE(CdWriting);
    // Once the drive is idle a change of recorder ends the flag.
    fake->busy = false;
    form->cboDevices_Click();
    EXPECT_FALSE(CdWriting);
}

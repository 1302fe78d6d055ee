// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule tab against a scheduler in memory.
#include "UiTest.h"
#include "platform/UserFolders.h"
#include "settings/LoadSettings.h"
#include "vb/Clock.h"

namespace {

using platform::Dialogs;

class ScheduledTasks : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        made = 0;
        memory = nullptr;
        platform::SetTaskSchedulerFactoryForTest([this]() -> std::unique_ptr<platform::TaskScheduler> {
            ++made;
            if (unavailable)
                return nullptr;
            auto s = std::make_unique<platform::MemoryTaskScheduler>();
            memory = s.get();
            return s;
        });
        vb::SetClockForTest(QDateTime(QDate(2026, 3, 4), QTime(21, 5, 9)));
        w->cmbProfiles->setText("Standard");
        w->txtPathBackUp->setText("C:\\Backup");
    }
    void TearDown() override {
        w.reset();
        platform::SetTaskSchedulerFactoryForTest({});
        vb::SetClockForTest(QDateTime());
        UiTest::TearDown();
    }
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < w->lstTasks->ListCount(); ++i)
            out << w->lstTasks->List(i);
        return out;
    }
    void select(const QString& name) {
        for (int i = 0; i < w->lstTasks->ListCount(); ++i)
            if (w->lstTasks->List(i) == name)
                w->lstTasks->setListIndex(i);
    }
    platform::MemoryTaskScheduler* memory = nullptr;
    int made = 0;
    bool unavailable = false;
};

TEST_F(ScheduledTasks, ANewJobRunsTheProfileDaily) {
    Dialogs::scriptAnswers({QString("Nightly backup")});
    w->cmdNew_Click();
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(listed(), QStringList{"Nightly backup"});
    const platform::SchedulerTask* job = memory->stored("Nightly backup");
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->ApplicationName, platform::ProgramExecutable());
    EXPECT_EQ(job->Parameters, "/run /profile:Standard /dir:C:\\Backup");
    EXPECT_EQ(job->Comment, "Vaultora Scheduler");
    EXPECT_EQ(job->WorkingDirectory, platform::ProgramFolderHost());
    EXPECT_EQ(job->Flags, 0);  // switched on
    EXPECT_TRUE(job->Enabled());
    EXPECT_EQ(job->TaskSettingA, 4);
    EXPECT_EQ(job->TaskSettingB, 0);
    ASSERT_EQ(job->Triggers.size(), 1);
    EXPECT_EQ(job->Triggers[0].TriggerType, platform::TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(job->Triggers[0].StartTime, vb::Now());
    EXPECT_EQ(job->Triggers[0].BeginDate, vb::Now());
    const auto& asked = Dialogs::shown()[0];
    EXPECT_EQ(asked.kind, Dialogs::Kind::InputBox);
    EXPECT_EQ(asked.prompt, LangText(245));
    EXPECT_EQ(asked.defaultText, LangText(246));
    EXPECT_EQ(asked.title, "Vaultora");

    w->txtPathBackUp->setText("");
    Dialogs::scriptAnswers({QString("Empty destination")});
    w->cmdNew_Click();
    EXPECT_EQ(memory->stored("Empty destination")->Parameters, "/run /profile:Standard /dir:");
    EXPECT_FALSE(QFile::exists(logHost()));
}

TEST_F(ScheduledTasks, TheNameIsAskedAgainUntilItCanBeUsed) {
    Dialogs::scriptAnswers({QString("Nightly")});
    w->cmdNew_Click();

    // refused, refused, then accepted: an invalid name, a duplicate, one
    // that differs only in case
    const int ok = platform::vbOK;
    Dialogs::scriptAnswers({QString("a?b"), ok, QString("Nightly"), ok, QString("nightly")});
    w->cmdNew_Click();
    const auto& shown = Dialogs::shown();
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[1].prompt, LangText(247) + "\r\nPlease try again !");
    EXPECT_EQ(shown[1].style, platform::vbCritical);
    EXPECT_EQ(shown[1].title, LangText(16));
    EXPECT_EQ(shown[3].prompt, "The taskname already exists on the tasklist\r\n" + LangText(174));
    EXPECT_EQ(shown[4].kind, Dialogs::Kind::InputBox);
    EXPECT_EQ(listed(), (QStringList{"Nightly", "nightly"}));

    for (const char* answer : {"", "   "}) {  // cancelled, blank
        Dialogs::scriptAnswers({QString(answer)});
        w->cmdNew_Click();
        EXPECT_EQ(Dialogs::shown().size(), 1) << answer;
        EXPECT_EQ(listed().size(), 2) << answer;
    }
}

TEST_F(ScheduledTasks, FlagTexts) {
    using F = frmMain_BackUp;
    EXPECT_EQ(F::GetTaskFlagsText(0), "");
    EXPECT_EQ(F::GetTaskFlagsText(6), "Delete When Done - Disabled - ");
    EXPECT_EQ(F::GetTaskFlagsText(528), "Hidden - Start Only If Idle - ");
    EXPECT_EQ(F::GetTaskFlagsText(1 | 2 | 4 | 16 | 32 | 64 | 128 | 512 | 8 | 256),
              "Delete When Done - Disabled - Don't Start If On Batteries - Hidden - Interactive - Kill If Going On "
              "Batteries - Kill On Idle End - Start Only If Idle - ");
}

TEST_F(ScheduledTasks, TheSelectedJobsDetailsAndRunNow) {
    Dialogs::scriptAnswers({QString("First"), QString("Second")});
    w->cmdNew_Click();
    w->cmdNew_Click();
    memory->setNextRun("Second", QDateTime(QDate(2026, 3, 5), QTime(21, 5, 9)));
    select("Second");
    EXPECT_EQ(w->lblInfo(0)->Caption(), platform::ProgramExecutable());
    EXPECT_EQ(w->lblInfo(1)->Caption(), "/run /profile:Standard /dir:C:\\Backup");
    EXPECT_EQ(w->lblInfo(2)->Caption(), "");
    EXPECT_EQ(w->lblInfo(3)->Caption(), "");  // never ran: no 1899 date
    EXPECT_EQ(w->lblInfo(4)->Caption(), "21:05:09 05-Mar-2026");

    w->cmdRun_Click();
    EXPECT_EQ(memory->runs("Second"), 1);
    EXPECT_EQ(memory->runs("First"), 0);
    w->lstTasks_Click();
    EXPECT_EQ(w->lblInfo(3)->Caption(), "21:05:09 04-Mar-2026");

    w->lstTasks->setListIndex(-1);
    w->cmdRun_Click();  // nothing selected: nothing runs
    EXPECT_EQ(memory->runs("First") + memory->runs("Second"), 1);
}

TEST_F(ScheduledTasks, DeleteAsksFirst) {
    Dialogs::scriptAnswers({QString("Keep"), QString("Go")});
    w->cmdNew_Click();
    w->cmdNew_Click();
    select("Go");
    Dialogs::scriptAnswers({int(platform::vbNo)});
    w->cdmDelete_Click();
    EXPECT_EQ(listed(), (QStringList{"Keep", "Go"}));
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown()[0].prompt, LangText(244) + " Go " + LangText(13));
    EXPECT_EQ(Dialogs::shown()[0].style, platform::vbYesNo);
    select("Go");
    Dialogs::scriptAnswers({int(platform::vbYes)});
    w->cdmDelete_Click();
    EXPECT_EQ(listed(), QStringList{"Keep"});
    EXPECT_EQ(memory->stored("Go"), nullptr);
    w->lstTasks->setListIndex(-1);
    Dialogs::scriptAnswers({});
    w->cdmDelete_Click();  // nothing selected: no question
    EXPECT_TRUE(Dialogs::shown().isEmpty());
}

TEST_F(ScheduledTasks, TheListRefreshesOnlyWhileTheTabHasTheFocus) {
    Dialogs::scriptAnswers({QString("One")});
    w->cmdNew_Click();
    select("One");
    EXPECT_FALSE(w->TimerRT->Enabled());
    emit w->SSTab2->GotFocus();
    EXPECT_TRUE(w->TimerRT->Enabled());
    EXPECT_EQ(w->TimerRT->Interval(), 5000);

    // A job made elsewhere shows with the next tick; the selection stays.
    auto other = memory->NewTask("Two");
    other->Save();
    emit w->TimerRT->Timer();
    EXPECT_EQ(listed(), (QStringList{"One", "Two"}));
    EXPECT_EQ(w->lstTasks->List(w->lstTasks->ListIndex()), "One");

    emit w->SSTab2->LostFocus();
    EXPECT_FALSE(w->TimerRT->Enabled());
    emit w->SSTab2->GotFocus();
    w->cmbProfiles->setText("Standard");
    Load_Settings();
    EXPECT_FALSE(w->TimerRT->Enabled());
}

// Without a user manager Add New says so in one message, asks for no name
// and logs one line; the tab stays usable.
TEST_F(ScheduledTasks, WithoutASchedulerAddNewSaysWhyOnce) {
    unavailable = true;
    Dialogs::scriptAnswers({});
    w->cmdNew_Click();
    EXPECT_TRUE(listed().isEmpty());
    ASSERT_EQ(Dialogs::shown().size(), 1u);
    EXPECT_EQ(Dialogs::shown()[0].kind, Dialogs::Kind::MessageBox);
    EXPECT_TRUE(Dialogs::shown()[0].prompt.contains("systemd user manager"));
    EXPECT_TRUE(Dialogs::shown()[0].prompt.contains("loginctl enable-linger"));
    const QString log = QString::fromUtf8(testenv::readFile(logHost()));
    EXPECT_EQ(log.count("cmdNew_Click of Formular frmMain_BackUp"), 1) << log.toStdString();
    EXPECT_TRUE(log.contains("  429  ")) << log.toStdString();
    EXPECT_FALSE(log.contains("Object variable")) << log.toStdString();
    emit w->SSTab2->GotFocus();
    emit w->TimerRT->Timer();
    w->cmdRun_Click();
    EXPECT_EQ(made, 1);  // asked once by the click, not with every refresh

    // Once the user manager runs, the next click makes the job.
    unavailable = false;
    Dialogs::scriptAnswers({QString("Nightly")});
    w->cmdNew_Click();
    EXPECT_EQ(listed(), QStringList{"Nightly"});
}

}  // namespace

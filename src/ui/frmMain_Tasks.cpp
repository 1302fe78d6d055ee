// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule tab: the jobs that start unattended runs of a profile.
#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/TaskScheduler.h"
#include "platform/UserFolders.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/VbError.h"

namespace {

// A job's time as the tab shows it; a job that never ran (or has no next
// run) shows nothing.
QString TaskTimeText(const QDateTime& t) {
    if (!t.isValid())
        return {};
    return vb::Format(t, QStringLiteral("HH:MM:SS DD-MMM-YYYY"));
}

}  // namespace

platform::TaskScheduler& frmMain_BackUp::Scheduler() {
    if (!taskScheduler_) {
        if (schedulerFailed_)
            vb::Raise(429);
        try {
            taskScheduler_ = platform::CreateTaskScheduler();
        } catch (...) {
            schedulerFailed_ = true;
            throw;
        }
    }
    return *taskScheduler_;
}

QString frmMain_BackUp::GetTaskFlagsText(qint32 flags) {
    using namespace platform;
    static const struct {
        qint32 bit;
        const char* text;
    } table[] = {
        {TASK_FLAG_DELETE_WHEN_DONE, "Delete When Done - "},
        {TASK_FLAG_DISABLED, "Disabled - "},
        {TASK_FLAG_DONT_START_IF_ON_BATTERIES, "Don't Start If On Batteries - "},
        {TASK_FLAG_HIDDEN, "Hidden - "},
        {TASK_FLAG_INTERACTIVE, "Interactive - "},
        {TASK_FLAG_KILL_IF_GOING_ON_BATTERIES, "Kill If Going On Batteries - "},
        {TASK_FLAG_KILL_ON_IDLE_END, "Kill On Idle End - "},
        {TASK_FLAG_START_ONLY_IF_IDLE, "Start Only If Idle - "},
    };
    QString text;
    for (const auto& row : table)
        if (flags & row.bit)
            text += QString::fromLatin1(row.text);
    return text;
}

void frmMain_BackUp::RefreshList() {
    QString selected;
    vb::Quiet([&] {
        if (lstTasks->ListIndex() >= 0)
            selected = lstTasks->List(lstTasks->ListIndex());
    });
    vb::Quiet([&] { lstTasks->Clear(); });
    vb::Quiet([&] {
        platform::TaskScheduler& s = Scheduler();
        s.Refresh();
        for (const platform::TaskPtr& task : s.Tasks())
            vb::Quiet([&] { lstTasks->AddItem(task->Name()); });
    });
    // The refresh runs every few seconds: the user's choice stays, without
    // asking the scheduler for its details again.
    vb::Quiet([&] {
        if (selected.isEmpty())
            return;
        for (int i = 0; i < lstTasks->ListCount(); ++i)
            if (lstTasks->List(i) == selected) {
                const QSignalBlocker quiet(lstTasks);
                lstTasks->setListIndex(i);
                break;
            }
    });
}

void frmMain_BackUp::cmdNew_Click() {
    vb::Handler h(QStringLiteral("cmdNew_Click of Formular frmMain_BackUp"));
    // Without a scheduler no job can be made: the user is told why before a
    // name is asked for. A click asks the scheduler again (the user may have
    // started the user manager since); the refresh of the list does not.
    schedulerFailed_ = false;
    if (!vb::Quiet([&] { Scheduler(); })) {
        h.Erl = 5;
        h.Log(vb::ErrInfo{429, QStringLiteral("Scheduled runs need the systemd user manager, which is not running")});
        platform::MsgBox(QStringLiteral("Scheduled runs need the systemd user manager, which is not running for you.\r\n"
                                        "\"loginctl enable-linger\" keeps it running, also when you are not logged in."),
                         platform::vbExclamation, ProgramName);
        return;
    }
    QString name;
    for (;;) {
        name = platform::InputBox(LangText(245), ProgramName, LangText(246));
        if (name.trimmed().isEmpty())
            return;
        if (!IsValidFilename(name)) {
            platform::MsgBox(LangText(247) + QStringLiteral("\r\nPlease try again !"), platform::vbCritical,
                             LangText(16));
            continue;
        }
        bool known = false;
        for (int i = 0; i < lstTasks->ListCount(); ++i)
            known = known || lstTasks->List(i) == name;
        if (known) {
            platform::MsgBox(QStringLiteral("The taskname already exists on the tasklist\r\n") + LangText(174),
                             platform::vbCritical, LangText(16));
            continue;
        }
        break;
    }

    platform::TaskPtr task;
    auto job = [&]() -> platform::SchedulerTask& {
        if (!task)
            vb::Raise(91);
        return *task;
    };
    platform::SchedulerTrigger* trigger = nullptr;
    h.Next(10, [&] { task = Scheduler().NewTask(name); });
    h.Next(11, [&] { job().ApplicationName = platform::ProgramExecutable(); });
    h.Next(12, [&] {
        job().Parameters = QStringLiteral("/run /profile:") + cmbProfiles->Text() + QStringLiteral(" /dir:") +
                           txtPathBackUp->Text();
    });
    h.Next(13, [&] { job().Comment = QStringLiteral("Vaultora Scheduler"); });
    h.Next(14, [&] { job().WorkingDirectory = platform::ProgramFolderHost(); });
    h.Next(15, [&] { trigger = &job().AddTrigger(); });
    h.Next(16, [&] {
        if (!trigger)
            vb::Raise(91);
        trigger->TriggerType = platform::TASK_TIME_TRIGGER_DAILY;
        trigger->BeginDate = vb::Now();
        trigger->StartTime = vb::Now();
    });
    trigger = nullptr;
    // A setting kept with the job as it is: the flag word stays 0, so the new
    // job is switched on.
    h.Next(17, [&] { job().TaskSettingA = 4; });
    h.Next(18, [&] { job().TaskSettingB = 0; });
    h.Next(19, [&] { job().ShowProperties(nullptr); });
    task.reset();
    RefreshList();
}

void frmMain_BackUp::lstTasks_Click() {
    const int p = lstTasks->ListIndex() + 1;
    auto item = [&] { return Scheduler().Item(p); };
    vb::Quiet([&] { lblInfo(0)->setCaption(item()->ApplicationName); });
    vb::Quiet([&] { lblInfo(1)->setCaption(item()->Parameters); });
    vb::Quiet([&] { lblInfo(2)->setCaption(GetTaskFlagsText(item()->Flags)); });
    vb::Quiet([&] { lblInfo(3)->setCaption(TaskTimeText(item()->LastRunTime())); });
    vb::Quiet([&] { lblInfo(4)->setCaption(TaskTimeText(item()->NextRunTime())); });
}

void frmMain_BackUp::cmdProps_Click() {
    vb::Quiet([&] {
        if (lstTasks->ListIndex() < 0)
            return;
        Scheduler().Item(lstTasks->List(lstTasks->ListIndex()))->ShowProperties(this);
    });
    RefreshList();
}

void frmMain_BackUp::cdmDelete_Click() {
    vb::Quiet([&] {
        if (lstTasks->ListIndex() < 0)
            return;
        const QString name = lstTasks->List(lstTasks->ListIndex());
        if (platform::MsgBox(LangText(244) + QLatin1Char(' ') + name + QLatin1Char(' ') + LangText(13),
                             platform::vbYesNo, ProgramName) != platform::vbYes)
            return;
        vb::Quiet([&] { Scheduler().DeleteTask(name); });
        RefreshList();
    });
}

void frmMain_BackUp::cmdRun_Click() {
    vb::Quiet([&] { Scheduler().Item(lstTasks->ListIndex() + 1)->Run(); });
}

void frmMain_BackUp::SSTab2_GotFocus() {
    RefreshList();
    vb::Quiet([&] { TimerRT->setEnabled(true); });
}

void frmMain_BackUp::SSTab2_LostFocus() {
    vb::Quiet([&] { TimerRT->setEnabled(false); });
}

void frmMain_BackUp::TimerRT_Timer() { RefreshList(); }

// SPDX-License-Identifier: GPL-3.0-or-later
// The task scheduler on systemd user timers: its unit files, what it asks
// systemctl, and one real timer where a user manager answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QLineEdit>
#include <pwd.h>
#include <unistd.h>

#include <functional>

#include "platform/SystemdTaskScheduler.h"
#include "support/TestEnv.h"
#include "vb/ErrorHandling.h"

namespace {

using namespace platform;

// Answers every command with the next scripted result (success when the
// script is used up) and records what it was asked.
class ScriptedRunner : public CommandRunner {
public:
    CommandResult Run(const QString& program, const QStringList& arguments, int timeoutMs) override {
        calls << (QStringList{program} + arguments).join(' ');
        timeouts << timeoutMs;
        if (!script.isEmpty())
            return script.takeFirst();
        CommandResult ok;
        ok.started = true;
        ok.exitCode = 0;
        return ok;
    }
    QStringList calls;
    QList<int> timeouts;
    QList<CommandResult> script;
};

CommandResult Answer(int exitCode, const QString& output = {}, const QString& errors = {}) {
    CommandResult r;
    r.started = true;
    r.exitCode = exitCode;
    r.output = output;
    r.errors = errors;
    return r;
}

class SystemdScheduler : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testenv::tempDir("units");
        runner = std::make_shared<ScriptedRunner>();
        scheduler = std::make_unique<SystemdTaskScheduler>(runner, folder);
    }
    TaskPtr job(const QString& name) {
        TaskPtr t = scheduler->NewTask(name);
        t->ApplicationName = "/opt/vaultora/vaultora";
        t->Parameters = "/run /profile:Standard /dir:C:\\Backup";
        t->Comment = "Vaultora Scheduler";
        t->WorkingDirectory = "/opt/vaultora";
        SchedulerTrigger& tr = t->AddTrigger();
        tr.TriggerType = TASK_TIME_TRIGGER_DAILY;
        tr.BeginDate = QDateTime(QDate(2026, 12, 10), QTime(20, 5, 7));
        tr.StartTime = tr.BeginDate;
        t->TaskSettingA = 4;
        return t;
    }
    QString read(const QString& file) const { return QString::fromUtf8(testenv::readFile(folder + "/" + file)); }
    QString folder;
    std::shared_ptr<ScriptedRunner> runner;
    std::unique_ptr<SystemdTaskScheduler> scheduler;
};

TEST(SystemdEscape, AsSystemdEscapesNames) {
    const struct {
        const char* name;
        const char* escaped;
    } table[] = {
        {"Nightly", "Nightly"},
        {"Nightly backup", "Nightly\\x20backup"},
        {"100% sure", "100\\x25\\x20sure"},
        {"$HOME \"quoted\"", "\\x24HOME\\x20\\x22quoted\\x22"},
        {".hidden.job", "\\x2ehidden.job"},
        {"Übung-1", "\\xc3\\x9cbung\\x2d1"},
        {"a\\b", "a\\x5cb"},
        {"x:y_z", "x:y_z"},
    };
    for (const auto& c : table)
        EXPECT_EQ(SystemdEscape(QString::fromUtf8(c.name)), QString::fromUtf8(c.escaped)) << c.name;
}

TEST_F(SystemdScheduler, GoldenUnitFiles) {
    TaskPtr t = job("Nightly backup");
    t->Save();
    EXPECT_EQ(read("vaultora-Nightly\\x20backup.service"),
              "[Unit]\n"
              "Description=Vaultora Scheduler\n"
              "\n"
              "[Service]\n"
              "Type=oneshot\n"
              "WorkingDirectory=-/opt/vaultora\n"
              "ExecStart=\"/opt/vaultora/vaultora\" \"/run /profile:Standard /dir:C:\\\\Backup\"\n"
              "\n"
              "[X-Vaultora]\n"
              "Name=Nightly backup\n"
              "Program=/opt/vaultora/vaultora\n"
              "Parameters=/run /profile:Standard /dir:C:%5CBackup\n"
              "Comment=Vaultora Scheduler\n"
              "WorkingDirectory=/opt/vaultora\n"
              "Flags=0\n"
              "SettingA=4\n"
              "SettingB=0\n"
              "Trigger=1 2026-12-10T20:05:07 2026-12-10T20:05:07\n");
    EXPECT_EQ(read("vaultora-Nightly\\x20backup.timer"),
              "[Unit]\n"
              "Description=Vaultora Scheduler\n"
              "\n"
              "[Timer]\n"
              "Unit=vaultora-Nightly\\x20backup.service\n"
              "OnCalendar=*-*-* 20:05:07\n"
              "\n"
              "[Install]\n"
              "WantedBy=timers.target\n");
    EXPECT_EQ(runner->calls, (QStringList{"systemctl --user daemon-reload",
                                          "systemctl --user enable --now vaultora-Nightly\\x20backup.timer"}));
    for (int ms : runner->timeouts)
        EXPECT_EQ(ms, SystemdTaskScheduler::kTimeoutMs);
}

TEST_F(SystemdScheduler, SpecialCharactersAreQuotedForSystemd) {
    TaskPtr t = job(QString::fromUtf8("100% \"$HOME\" Übung"));
    t->ApplicationName = "/opt/my apps/vault$ora";
    t->Parameters = QString::fromUtf8("/run /profile:50% \"Ü\" /dir:C:\\a\\");
    t->WorkingDirectory = "/opt/50%";
    t->Comment = "Vaultora 100%";
    const QString service = ServiceUnitText(*t);
    EXPECT_TRUE(service.contains("Description=Vaultora 100%%\n")) << service.toStdString();
    EXPECT_TRUE(service.contains("WorkingDirectory=-/opt/50%%\n")) << service.toStdString();
    EXPECT_TRUE(service.contains(QString::fromUtf8(
        "ExecStart=\"/opt/my apps/vault$$ora\" \"/run /profile:50%% \\\"Ü\\\" /dir:C:\\\\a\\\\\"\n")))
        << service.toStdString();
    EXPECT_TRUE(service.contains(QString::fromUtf8("Name=100%25 \"$HOME\" Übung\n"))) << service.toStdString();
    // No line of the file ends in a backslash (systemd would join it with the next).
    for (const QString& line : service.split('\n'))
        EXPECT_FALSE(line.endsWith('\\')) << line.toStdString();
}

TEST_F(SystemdScheduler, EachTriggerKindBecomesItsCalendar) {
    const QDateTime at(QDate(2026, 12, 10), QTime(6, 30, 0));  // a Thursday, the 2nd of the month
    const struct {
        qint32 type;
        const char* calendar;
    } table[] = {
        {TASK_TIME_TRIGGER_ONCE, "2026-12-10 06:30:00"},      {TASK_TIME_TRIGGER_DAILY, "*-*-* 06:30:00"},
        {TASK_TIME_TRIGGER_WEEKLY, "Thu *-*-* 06:30:00"},     {TASK_TIME_TRIGGER_MONTHLYDATE, "*-*-10 06:30:00"},
        {TASK_TIME_TRIGGER_MONTHLYDOW, "Thu *-*-08..14 06:30:00"}, {TASK_EVENT_TRIGGER_AT_LOGON, ""},
        {TASK_EVENT_TRIGGER_ON_IDLE, ""},
    };
    for (const auto& c : table) {
        SchedulerTrigger t{c.type, at, at};
        EXPECT_EQ(CalendarOf(t), c.calendar) << c.type;
    }
    TaskPtr t = job("Logon");
    t->Triggers = {SchedulerTrigger{TASK_EVENT_TRIGGER_AT_LOGON, at, at}, SchedulerTrigger{TASK_TIME_TRIGGER_WEEKLY, at, at}};
    const QString timer = TimerUnitText(*t);
    EXPECT_TRUE(timer.contains("OnCalendar=Thu *-*-* 06:30:00\nOnStartupSec=1\n")) << timer.toStdString();
}

TEST_F(SystemdScheduler, TheListIsReadBackFromTheFolderAndHoldsOnlyOwnJobs) {
    const QString names[] = {"Nightly backup", "100% sure", "$x \"y\"", ".lead", QString::fromUtf8("Übung"),
                             "a\\b"};
    for (const QString& n : names)
        job(n)->Save();
    TaskPtr off = job("Switched off");
    off->Flags = TASK_FLAG_DISABLED | TASK_FLAG_HIDDEN;
    off->Save();
    EXPECT_EQ(runner->calls.last(), "systemctl --user disable --now vaultora-Switched\\x20off.timer");

    // Units that are not this program's jobs.
    testenv::writeFile(folder + "/backup.timer", "[Timer]\nOnCalendar=daily\n");
    testenv::writeFile(folder + "/vaultora-foreign.service", "[Service]\nExecStart=/bin/true\n");
    testenv::writeFile(folder + "/vaultora-renamed.service", "[X-Vaultora]\nName=other\n");

    runner->calls.clear();
    SystemdTaskScheduler again(runner, folder);
    again.Refresh();
    EXPECT_TRUE(runner->calls.isEmpty());  // no process for a refresh
    ASSERT_EQ(again.Count(), 7);
    for (const QString& n : names) {
        const TaskPtr t = again.Item(n);
        EXPECT_TRUE(*t == *scheduler->Item(n)) << n.toStdString();
    }
    EXPECT_EQ(again.Item("Switched off")->Flags, TASK_FLAG_DISABLED | TASK_FLAG_HIDDEN);
    EXPECT_EQ(again.Item(1)->Name(), again.Tasks()[0]->Name());
    EXPECT_EQ(vb::Quiet([&] { again.Item("foreign"); }), false);
    EXPECT_EQ(vb::Quiet([&] { again.Item(8); }), false);
}

TEST_F(SystemdScheduler, RunTimesAndDelete) {
    TaskPtr t = job("Nightly");
    t->Save();
    runner->calls.clear();
    t->Run();
    EXPECT_EQ(runner->calls, QStringList{"systemctl --user start --no-block vaultora-Nightly.service"});

    runner->script = {Answer(0, "LastTriggerUSec=@1765397107\n"), Answer(0, "NextElapseUSecRealtime=n/a\n"),
                      Answer(0, "LastTriggerUSec=\n")};
    EXPECT_EQ(t->LastRunTime(), QDateTime::fromSecsSinceEpoch(1765397107));
    EXPECT_FALSE(t->NextRunTime().isValid());
    EXPECT_FALSE(t->LastRunTime().isValid());  // never ran
    EXPECT_EQ(runner->calls[1],
              "systemctl --user show vaultora-Nightly.timer --property=LastTriggerUSec --timestamp=unix");

    // A failing systemctl is an error with its own words.
    runner->script = {Answer(1, {}, "Failed to connect to bus: No medium found")};
    vb::ErrInfo err;
    try {
        t->Run();
    } catch (...) {
        err = vb::ErrFrom(std::current_exception());
    }
    EXPECT_EQ(err.Number, 5);
    EXPECT_TRUE(err.Description.contains("Failed to connect to bus")) << err.Description.toStdString();

    job("Other")->Save();
    runner->calls.clear();
    scheduler->DeleteTask("Nightly");
    EXPECT_EQ(runner->calls, (QStringList{"systemctl --user disable --now vaultora-Nightly.timer",
                                          "systemctl --user daemon-reload"}));
    EXPECT_FALSE(QFile::exists(folder + "/vaultora-Nightly.service"));
    EXPECT_FALSE(QFile::exists(folder + "/vaultora-Nightly.timer"));
    EXPECT_TRUE(QFile::exists(folder + "/vaultora-Other.service"));
    EXPECT_FALSE(vb::Quiet([&] { scheduler->DeleteTask("Nightly"); }));  // gone: 9, nothing else touched
    EXPECT_TRUE(QFile::exists(folder + "/vaultora-Other.timer"));
}

// systemd's own reader accepts the units, names and command lines made of
// every character that needs care.
TEST_F(SystemdScheduler, SystemdAcceptsTheUnits) {
    const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed; the units are not checked by systemd";
    const QString names[] = {"Nightly backup", "100% sure", "$x \"y\"", ".lead", QString::fromUtf8("Übung"), "a\\b"};
    QStringList files;
    for (const QString& n : names) {
        TaskPtr t = job(n);
        t->ApplicationName = QStandardPaths::findExecutable("true");
        t->Parameters = QString::fromUtf8("/run /profile:") + n + " /dir:C:\\Back up\\%\\$HOME\\";
        t->Save();
        files << folder + "/" + TaskUnitBase(n) + ".service" << folder + "/" + TaskUnitBase(n) + ".timer";
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(analyze, QStringList{"verify"} + files);
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString said = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains("ignoring")) << said.toStdString();
}

// One real timer, where this machine's user manager answers.
TEST(SystemdSchedulerReal, CreatesListsRunsAndDeletesATimer) {
    // The test's own runtime folder holds no user manager: the real one's.
    const QByteArray ownRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QString realRuntime = QString("/run/user/%1").arg(getuid());
    struct Restore {
        QByteArray value;
        ~Restore() { qputenv("XDG_RUNTIME_DIR", value); }
    } restore{ownRuntime};
    if (QFileInfo::exists(realRuntime + "/systemd/private"))
        qputenv("XDG_RUNTIME_DIR", realRuntime.toLocal8Bit());
    QProcess probe;
    probe.start("systemctl", {"--user", "show", "--property=Version"});
    if (!probe.waitForFinished(5000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        GTEST_SKIP() << "systemctl --user does not reach a user manager here; the real timer is not tried";
    // The user manager reads the real user's unit folder, not the test's HOME.
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    const QString units = QString::fromLocal8Bit(pw->pw_dir) + "/.config/systemd/user";
    SystemdTaskScheduler s(ProcessCommandRunner(), units);
    s.Refresh();
    const QString name = QString("vaultora test %1").arg(getpid());
    TaskPtr t = s.NewTask(name);
    t->ApplicationName = "/bin/true";
    t->Parameters = "/run";
    t->Comment = "Vaultora Scheduler";
    SchedulerTrigger& tr = t->AddTrigger();
    tr.BeginDate = tr.StartTime = QDateTime::currentDateTime().addDays(1);
    t->Save();
    SystemdTaskScheduler listed(ProcessCommandRunner(), units);
    listed.Refresh();
    EXPECT_TRUE(vb::Quiet([&] { listed.Item(name); }));
    EXPECT_TRUE(t->NextRunTime().isValid());
    t->Run();
    s.DeleteTask(name);
    EXPECT_FALSE(QFile::exists(units + "/" + TaskUnitBase(name) + ".service"));
}

}  // namespace

namespace {

// The property dialog edits the job's fields and its triggers; Cancel keeps
// the job as it was.
TEST(TaskProperties, TheDialogEditsTheJob) {
    platform::MemoryTaskScheduler s;
    platform::TaskPtr t = s.NewTask("Edit me");
    t->ApplicationName = "/opt/v/vaultora";
    t->Parameters = "/run /profile:A /dir:C:\\x";
    t->AddTrigger().StartTime = QDateTime(QDate(2026, 1, 2), QTime(3, 4));
    // Whatever happens, the dialog does not stay open.
    QTimer guard;
    guard.setInterval(5000);
    QObject::connect(&guard, &QTimer::timeout, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(top); d && d->isVisible())
                d->reject();
    });
    guard.start();
    const auto answer = [](std::function<void(QDialog*)> act) {
        QTimer::singleShot(0, [act] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d) {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* dd = qobject_cast<QDialog*>(top); dd && dd->isVisible())
                        d = dd;
            }
            ASSERT_NE(d, nullptr);
            act(d);
        });
    };
    answer([](QDialog* d) {
        const auto edits = d->findChildren<QLineEdit*>();
        ASSERT_GE(edits.size(), 3);
        edits[0]->setText("/opt/w/vaultora");
        edits[1]->setText("/run /profile:B /dir:D:\\y");
        edits[2]->setText("/opt/w");
        d->findChild<QCheckBox*>()->setChecked(false);
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->text() == "&New trigger")
                b->click();
        d->findChild<QComboBox*>()->setCurrentIndex(platform::TASK_TIME_TRIGGER_WEEKLY);
        d->accept();
    });
    ASSERT_TRUE(platform::EditTaskProperties(*t, nullptr));
    EXPECT_EQ(t->ApplicationName, "/opt/w/vaultora");
    EXPECT_EQ(t->Parameters, "/run /profile:B /dir:D:\\y");
    EXPECT_EQ(t->WorkingDirectory, "/opt/w");
    EXPECT_FALSE(t->Enabled());
    ASSERT_EQ(t->Triggers.size(), 2);
    EXPECT_EQ(t->Triggers[0].StartTime, QDateTime(QDate(2026, 1, 2), QTime(3, 4)));
    EXPECT_EQ(t->Triggers[1].TriggerType, platform::TASK_TIME_TRIGGER_WEEKLY);

    const platform::SchedulerTask before = *t;
    answer([](QDialog* d) {
        d->findChildren<QLineEdit*>()[0]->setText("changed");
        d->reject();
    });
    EXPECT_FALSE(platform::EditTaskProperties(*t, nullptr));
    EXPECT_TRUE(*t == before);
}

}  // namespace

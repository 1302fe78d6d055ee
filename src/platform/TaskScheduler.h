// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// The task scheduler: named jobs that start a program with a command line at
// the times of their triggers. TaskScheduler is the collection; a job is a
// SchedulerTask. Two schedulers exist: systemd user timers for real use
// (SystemdTaskScheduler.h) and one in memory for tests.
namespace platform {

// Trigger types, numbered as the scheduler's callers number them.
enum TriggerTypes : qint32 {
    TASK_TIME_TRIGGER_ONCE = 0,
    TASK_TIME_TRIGGER_DAILY = 1,
    TASK_TIME_TRIGGER_WEEKLY = 2,
    TASK_TIME_TRIGGER_MONTHLYDATE = 3,
    TASK_TIME_TRIGGER_MONTHLYDOW = 4,
    TASK_EVENT_TRIGGER_ON_IDLE = 5,
    TASK_EVENT_TRIGGER_AT_SYSTEMSTART = 6,
    TASK_EVENT_TRIGGER_AT_LOGON = 7,
};

// Bits of a job's flag word.
enum TaskFlags : qint32 {
    TASK_FLAG_INTERACTIVE = 1,
    TASK_FLAG_DELETE_WHEN_DONE = 2,
    TASK_FLAG_DISABLED = 4,
    TASK_FLAG_START_ONLY_IF_IDLE = 16,
    TASK_FLAG_KILL_ON_IDLE_END = 32,
    TASK_FLAG_DONT_START_IF_ON_BATTERIES = 64,
    TASK_FLAG_KILL_IF_GOING_ON_BATTERIES = 128,
    TASK_FLAG_HIDDEN = 512,
};

struct SchedulerTrigger {
    qint32 TriggerType = TASK_TIME_TRIGGER_DAILY;
    QDateTime BeginDate;  // the day it starts (and, for the monthly and weekly kinds, its day)
    QDateTime StartTime;  // the time of day it fires
    bool operator==(const SchedulerTrigger&) const = default;
};

class TaskScheduler;

class SchedulerTask {
public:
    SchedulerTask(TaskScheduler* scheduler, QString name) : scheduler_(scheduler), name_(std::move(name)) {}

    QString Name() const { return name_; }
    QString ApplicationName;   // the program (a host path)
    QString Parameters;        // its command line, handed over as one argument
    QString Comment;
    QString WorkingDirectory;  // a host path
    qint32 Flags = 0;          // TaskFlags; TASK_FLAG_DISABLED switches the job off
    // Two settings the callers write on a new job and the scheduler keeps as
    // they are; neither is the flag word.
    qint32 TaskSettingA = 0;
    qint32 TaskSettingB = 0;
    QList<SchedulerTrigger> Triggers;

    SchedulerTrigger& AddTrigger() {
        Triggers.append(SchedulerTrigger{});
        return Triggers.last();
    }
    bool Enabled() const { return (Flags & TASK_FLAG_DISABLED) == 0; }

    // Stores the job as it now stands and switches it on or off.
    void Save();
    // Starts the job at once.
    void Run();
    // When it last ran and will next run; null when never / not planned.
    QDateTime LastRunTime() const;
    QDateTime NextRunTime() const;
    // Saves the job, opens its property dialog (owner may be nullptr) and
    // saves what the user changed there. Without a display it only saves.
    void ShowProperties(QWidget* owner);

    bool operator==(const SchedulerTask& o) const;

private:
    TaskScheduler* scheduler_;
    QString name_;
};

using TaskPtr = std::shared_ptr<SchedulerTask>;

class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;

    // A new job of that name, stored by its first Save; 58 when one exists.
    TaskPtr NewTask(const QString& name);
    // Reads the stored jobs again.
    virtual void Refresh() = 0;
    // Deletes the job (9 when there is none of that name).
    void DeleteTask(const QString& name);
    int Count() const { return int(tasks_.size()); }
    // By name (exact case) or by position 1 to Count; 9 when there is none.
    TaskPtr Item(const QString& name) const;
    TaskPtr Item(int position) const;
    // Every job, in the order of the positions.
    const QList<TaskPtr>& Tasks() const { return tasks_; }

    // What the jobs ask of their scheduler.
    virtual void Save(SchedulerTask& task) = 0;
    virtual void Run(SchedulerTask& task) = 0;
    virtual QDateTime LastRunTime(const SchedulerTask& task) const = 0;
    virtual QDateTime NextRunTime(const SchedulerTask& task) const = 0;

protected:
    virtual void Delete(const SchedulerTask& task) = 0;
    QList<TaskPtr> tasks_;
};

// The scheduler of this computer: systemd user timers. Raises 429 (the
// component cannot be created) where there is no systemd user manager. Tests
// put their own scheduler in its place.
std::unique_ptr<TaskScheduler> CreateTaskScheduler();
using TaskSchedulerFactory = std::function<std::unique_ptr<TaskScheduler>()>;
void SetTaskSchedulerFactoryForTest(TaskSchedulerFactory factory);  // empty: the real one

// A scheduler that keeps its jobs in memory; Run notes the time (from the
// program's clock) and counts the runs.
class MemoryTaskScheduler : public TaskScheduler {
public:
    void Refresh() override;
    void Save(SchedulerTask& task) override;
    void Run(SchedulerTask& task) override;
    QDateTime LastRunTime(const SchedulerTask& task) const override;
    QDateTime NextRunTime(const SchedulerTask& task) const override;
    int runs(const QString& name) const;
    void setNextRun(const QString& name, const QDateTime& when);
    // The job as stored (its last Save); nullptr when none.
    const SchedulerTask* stored(const QString& name) const;

protected:
    void Delete(const SchedulerTask& task) override;

private:
    QList<SchedulerTask> stored_;
    QMap<QString, QDateTime> lastRun_;
    QMap<QString, int> runs_;
    QMap<QString, QDateTime> nextRun_;
};

// The job's property dialog (the program's own window): program, command
// line, working folder, enabled, triggers. True when the user pressed OK.
bool EditTaskProperties(SchedulerTask& task, QWidget* owner);

}  // namespace platform

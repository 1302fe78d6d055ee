// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/TaskScheduler.h"

// The task scheduler on systemd user timers. A job is a pair of units in the
// user's unit folder ($XDG_CONFIG_HOME/systemd/user): vaultora-<escaped
// name>.service, which starts the job's program with its command line as one
// argument, and vaultora-<escaped name>.timer with one OnCalendar line per
// trigger (at logon and at start: the user manager's start). The job's own
// fields are kept as written in the service's [X-Vaultora] section, so the
// list is read from the folder alone; a job is switched on and off, run and
// asked for its times through "systemctl --user".
namespace platform {

struct CommandResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;
    QString output;
    QString errors;
    bool ok() const { return started && !timedOut && exitCode == 0; }
};

// Runs a program with an argument list (never a shell) and waits at most
// timeoutMs for it. Tests put a scripted one in its place.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual CommandResult Run(const QString& program, const QStringList& arguments, int timeoutMs) = 0;
};
std::shared_ptr<CommandRunner> ProcessCommandRunner();

class SystemdTaskScheduler : public TaskScheduler {
public:
    SystemdTaskScheduler(std::shared_ptr<CommandRunner> runner, QString unitFolder);

    void Refresh() override;
    void Save(SchedulerTask& task) override;
    void Run(SchedulerTask& task) override;
    QDateTime LastRunTime(const SchedulerTask& task) const override;
    QDateTime NextRunTime(const SchedulerTask& task) const override;

    const QString& unitFolder() const { return folder_; }
    static QString DefaultUnitFolder();  // $XDG_CONFIG_HOME/systemd/user
    static constexpr int kTimeoutMs = 10000;

protected:
    void Delete(const SchedulerTask& task) override;

private:
    void systemctl(const QStringList& arguments) const;  // raises when it fails
    std::shared_ptr<CommandRunner> runner_;
    QString folder_;
};

// The scheduler of this user, or nullptr where "systemctl --user" cannot
// reach a user manager.
std::unique_ptr<TaskScheduler> CreateSystemdTaskScheduler();

// systemd's escaping of a name for a unit name (as systemd-escape does).
QString SystemdEscape(const QString& name);
// The unit names of a job: "vaultora-<escaped name>" plus ".service" or ".timer".
QString TaskUnitBase(const QString& name);
// The two unit files of a job.
QString ServiceUnitText(const SchedulerTask& task);
QString TimerUnitText(const SchedulerTask& task);
// The OnCalendar value of a trigger; "" for a trigger that is no calendar time.
QString CalendarOf(const SchedulerTrigger& trigger);

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TaskScheduler.h"

#include <QMap>

#include "platform/Dialogs.h"
#include "platform/SystemdTaskScheduler.h"
#include "vb/Clock.h"
#include "vb/VbError.h"

namespace platform {

void SchedulerTask::Save() { scheduler_->Save(*this); }
void SchedulerTask::Run() { scheduler_->Run(*this); }
QDateTime SchedulerTask::LastRunTime() const { return scheduler_->LastRunTime(*this); }
QDateTime SchedulerTask::NextRunTime() const { return scheduler_->NextRunTime(*this); }

void SchedulerTask::ShowProperties(QWidget* owner) {
    Save();
    if (Dialogs::scripted() || Dialogs::headless())
        return;
    if (EditTaskProperties(*this, owner))
        Save();
}

bool SchedulerTask::operator==(const SchedulerTask& o) const {
    return name_ == o.name_ && ApplicationName == o.ApplicationName && Parameters == o.Parameters &&
           Comment == o.Comment && WorkingDirectory == o.WorkingDirectory && Flags == o.Flags &&
           TaskSettingA == o.TaskSettingA && TaskSettingB == o.TaskSettingB && Triggers == o.Triggers;
}

TaskPtr TaskScheduler::NewTask(const QString& name) {
    for (const TaskPtr& t : tasks_)
        if (t->Name() == name)
            vb::Raise(58);
    auto task = std::make_shared<SchedulerTask>(this, name);
    tasks_.append(task);
    return task;
}

void TaskScheduler::DeleteTask(const QString& name) {
    const TaskPtr task = Item(name);
    Delete(*task);
    tasks_.removeOne(task);
}

TaskPtr TaskScheduler::Item(const QString& name) const {
    for (const TaskPtr& t : tasks_)
        if (t->Name() == name)
            return t;
    vb::Raise(9);
}

TaskPtr TaskScheduler::Item(int position) const {
    if (position < 1 || position > tasks_.size())
        vb::Raise(9);
    return tasks_[position - 1];
}

namespace {
TaskSchedulerFactory& factory() {
    static TaskSchedulerFactory f;
    return f;
}
}  // namespace

void SetTaskSchedulerFactoryForTest(TaskSchedulerFactory f) { factory() = std::move(f); }

std::unique_ptr<TaskScheduler> CreateTaskScheduler() {
    std::unique_ptr<TaskScheduler> s = factory() ? factory()() : CreateSystemdTaskScheduler();
    if (!s)
        vb::Raise(429);
    s->Refresh();
    return s;
}

// --- in memory -------------------------------------------------------------

void MemoryTaskScheduler::Refresh() {
    tasks_.clear();
    for (const SchedulerTask& t : stored_) {
        auto copy = std::make_shared<SchedulerTask>(t);
        tasks_.append(copy);
    }
}

void MemoryTaskScheduler::Save(SchedulerTask& task) {
    for (SchedulerTask& t : stored_)
        if (t.Name() == task.Name()) {
            t = task;
            return;
        }
    stored_.append(task);
}

void MemoryTaskScheduler::Run(SchedulerTask& task) {
    if (!stored(task.Name()))
        vb::Raise(9);
    lastRun_[task.Name()] = vb::Now();
    ++runs_[task.Name()];
}

QDateTime MemoryTaskScheduler::LastRunTime(const SchedulerTask& task) const { return lastRun_.value(task.Name()); }

QDateTime MemoryTaskScheduler::NextRunTime(const SchedulerTask& task) const {
    if (!task.Enabled())
        return {};
    return nextRun_.value(task.Name());
}

void MemoryTaskScheduler::setNextRun(const QString& name, const QDateTime& when) { nextRun_[name] = when; }

int MemoryTaskScheduler::runs(const QString& name) const { return runs_.value(name); }

const SchedulerTask* MemoryTaskScheduler::stored(const QString& name) const {
    for (const SchedulerTask& t : stored_)
        if (t.Name() == name)
            return &t;
    return nullptr;
}

void MemoryTaskScheduler::Delete(const SchedulerTask& task) {
    for (int i = 0; i < stored_.size(); ++i)
        if (stored_[i].Name() == task.Name()) {
            stored_.removeAt(i);
            break;
        }
}

}  // namespace platform

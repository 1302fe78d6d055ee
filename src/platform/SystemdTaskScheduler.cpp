// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemdTaskScheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSaveFile>

#include "platform/UserFolders.h"
#include "vb/VbError.h"

namespace platform {

namespace {

const QString kPrefix = QStringLiteral("vaultora-");
const QString kSection = QStringLiteral("[X-Vaultora]");

class ProcessRunner : public CommandRunner {
public:
    CommandResult Run(const QString& program, const QStringList& arguments, int timeoutMs) override {
        CommandResult r;
        QProcess p;
        p.setProgram(program);
        p.setArguments(arguments);
        p.setStandardInputFile(QProcess::nullDevice());
        p.start();
        if (!p.waitForStarted(timeoutMs))
            return r;
        r.started = true;
        if (!p.waitForFinished(timeoutMs)) {
            r.timedOut = true;
            p.kill();
            p.waitForFinished(1000);
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.output = QString::fromUtf8(p.readAllStandardOutput());
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};

// systemd expands "%" specifiers in most values; "%%" is a percent sign.
QString NoSpecifiers(const QString& s) {
    QString out = s;
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return out;
}

// One ExecStart word: quoted, with C escapes, "%%" and "$$".
QString ExecWord(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '%': out += QStringLiteral("%%"); break;
        case '$': out += QStringLiteral("$$"); break;
        default: out += c;
        }
    }
    return out + QLatin1Char('"');
}

// A value of the [X-Vaultora] section: "%", "\" and control characters as
// %XX, so that no line breaks or ends in a continuation backslash.
QString Encode(const QString& s) {
    QString out;
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u == '%' || u == '\\' || u < 0x20 || u == 0x7f)
            out += QLatin1Char('%') + QStringLiteral("%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString Decode(const QString& s) { return QString::fromUtf8(QByteArray::fromPercentEncoding(s.toUtf8())); }

QString OneLine(QString s) {
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s;
}

QString Day(const QDate& d) {
    static const char* names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return QString::fromLatin1(names[(d.dayOfWeek() + 6) % 7]);
}

// A trigger as the [X-Vaultora] section keeps it: "<type> <begin> <start>",
// both local times in ISO form.
QString TriggerText(const SchedulerTrigger& t) {
    return QStringLiteral("%1 %2 %3")
        .arg(t.TriggerType)
        .arg(t.BeginDate.toString(Qt::ISODate), t.StartTime.toString(Qt::ISODate));
}

SchedulerTrigger TriggerFrom(const QString& text) {
    const QStringList p = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    SchedulerTrigger t;
    if (p.size() >= 1)
        t.TriggerType = p[0].toInt();
    if (p.size() >= 2)
        t.BeginDate = QDateTime::fromString(p[1], Qt::ISODate);
    if (p.size() >= 3)
        t.StartTime = QDateTime::fromString(p[2], Qt::ISODate);
    return t;
}

void WriteFile(const QString& path, const QString& text) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        vb::Raise(75);
    f.write(text.toUtf8());
    if (!f.commit())
        vb::Raise(75);
}

QDateTime UnixTime(const QString& value) {
    if (!value.startsWith(QLatin1Char('@')))
        return {};
    bool ok = false;
    const qint64 secs = value.mid(1).toLongLong(&ok);
    if (!ok || secs <= 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(secs).toLocalTime();
}

}  // namespace

std::shared_ptr<CommandRunner> ProcessCommandRunner() { return std::make_shared<ProcessRunner>(); }

QString SystemdEscape(const QString& name) {
    QString out;
    const QByteArray utf8 = name.toUtf8();
    for (int i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '/')
            out += QLatin1Char('-');
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
                 c == '_' || (c == '.' && i > 0))
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString TaskUnitBase(const QString& name) { return kPrefix + SystemdEscape(name); }

QString CalendarOf(const SchedulerTrigger& t) {
    const QDate day = t.BeginDate.date().isValid() ? t.BeginDate.date() : t.StartTime.date();
    const QString time = t.StartTime.time().isValid() ? t.StartTime.time().toString(QStringLiteral("HH:mm:ss"))
                                                      : QStringLiteral("00:00:00");
    switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE: return day.toString(Qt::ISODate) + QLatin1Char(' ') + time;
    case TASK_TIME_TRIGGER_DAILY: return QStringLiteral("*-*-* ") + time;
    case TASK_TIME_TRIGGER_WEEKLY: return Day(day) + QStringLiteral(" *-*-* ") + time;
    case TASK_TIME_TRIGGER_MONTHLYDATE: return QStringLiteral("*-*-%1 ").arg(day.day(), 2, 10, QLatin1Char('0')) + time;
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
        const int week = (day.day() - 1) / 7;
        return Day(day) + QStringLiteral(" *-*-%1..%2 ")
                              .arg(week * 7 + 1, 2, 10, QLatin1Char('0'))
                              .arg(week * 7 + 7, 2, 10, QLatin1Char('0')) +
               time;
    }
    default: return {};
    }
}

QString ServiceUnitText(const SchedulerTask& task) {
    QString s = QStringLiteral("[Unit]\nDescription=") + NoSpecifiers(OneLine(task.Comment)) +
                QStringLiteral("\n\n[Service]\nType=oneshot\n");
    if (!task.WorkingDirectory.isEmpty())
        s += QStringLiteral("WorkingDirectory=-") + NoSpecifiers(OneLine(task.WorkingDirectory)) + QLatin1Char('\n');
    s += QStringLiteral("ExecStart=") + ExecWord(task.ApplicationName);
    if (!task.Parameters.isEmpty())
        s += QLatin1Char(' ') + ExecWord(task.Parameters);
    s += QStringLiteral("\n\n") + kSection + QLatin1Char('\n');
    s += QStringLiteral("Name=") + Encode(task.Name()) + QLatin1Char('\n');
    s += QStringLiteral("Program=") + Encode(task.ApplicationName) + QLatin1Char('\n');
    s += QStringLiteral("Parameters=") + Encode(task.Parameters) + QLatin1Char('\n');
    s += QStringLiteral("Comment=") + Encode(task.Comment) + QLatin1Char('\n');
    s += QStringLiteral("WorkingDirectory=") + Encode(task.WorkingDirectory) + QLatin1Char('\n');
    s += QStringLiteral("Flags=%1\nSettingA=%2\nSettingB=%3\n").arg(task.Flags).arg(task.TaskSettingA).arg(task.TaskSettingB);
    for (const SchedulerTrigger& t : task.Triggers)
        s += QStringLiteral("Trigger=") + TriggerText(t) + QLatin1Char('\n');
    return s;
}

QString TimerUnitText(const SchedulerTask& task) {
    QString s = QStringLiteral("[Unit]\nDescription=") + NoSpecifiers(OneLine(task.Comment)) +
                QStringLiteral("\n\n[Timer]\nUnit=") + TaskUnitBase(task.Name()) + QStringLiteral(".service\n");
    bool atStart = false;
    for (const SchedulerTrigger& t : task.Triggers) {
        const QString when = CalendarOf(t);
        if (!when.isEmpty())
            s += QStringLiteral("OnCalendar=") + when + QLatin1Char('\n');
        else if (t.TriggerType == TASK_EVENT_TRIGGER_AT_LOGON || t.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART)
            atStart = true;
    }
    if (atStart)
        s += QStringLiteral("OnStartupSec=1\n");
    return s + QStringLiteral("\n[Install]\nWantedBy=timers.target\n");
}

SystemdTaskScheduler::SystemdTaskScheduler(std::shared_ptr<CommandRunner> runner, QString unitFolder)
    : runner_(std::move(runner)), folder_(std::move(unitFolder)) {}

QString SystemdTaskScheduler::DefaultUnitFolder() { return ConfigHome() + QStringLiteral("/systemd/user"); }

void SystemdTaskScheduler::Refresh() {
    tasks_.clear();
    const QDir dir(folder_);
    const QStringList files =
        dir.entryList({kPrefix + QStringLiteral("*.service")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        bool inside = false;
        QString name;
        bool named = false;
        QList<SchedulerTrigger> triggers;
        QString program, parameters, comment, workdir;
        qint32 flags = 0, a = 0, b = 0;
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inside = line == kSection;
                continue;
            }
            const int eq = line.indexOf(QLatin1Char('='));
            if (!inside || eq < 0)
                continue;
            const QString key = line.left(eq), value = line.mid(eq + 1);
            if (key == QLatin1String("Name")) {
                name = Decode(value);
                named = true;
            } else if (key == QLatin1String("Program")) {
                program = Decode(value);
            } else if (key == QLatin1String("Parameters")) {
                parameters = Decode(value);
            } else if (key == QLatin1String("Comment")) {
                comment = Decode(value);
            } else if (key == QLatin1String("WorkingDirectory")) {
                workdir = Decode(value);
            } else if (key == QLatin1String("Flags")) {
                flags = value.toInt();
            } else if (key == QLatin1String("SettingA")) {
                a = value.toInt();
            } else if (key == QLatin1String("SettingB")) {
                b = value.toInt();
            } else if (key == QLatin1String("Trigger")) {
                triggers << TriggerFrom(value);
            }
        }
        // Only this program's own jobs, each under the unit name of its name.
        if (!named || file != TaskUnitBase(name) + QStringLiteral(".service"))
            continue;
        auto task = std::make_shared<SchedulerTask>(this, name);
        task->ApplicationName = program;
        task->Parameters = parameters;
        task->Comment = comment;
        task->WorkingDirectory = workdir;
        task->Flags = flags;
        task->TaskSettingA = a;
        task->TaskSettingB = b;
        task->Triggers = triggers;
        tasks_.append(task);
    }
}

void SystemdTaskScheduler::systemctl(const QStringList& arguments) const {
    const CommandResult r = runner_->Run(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + arguments,
                                         kTimeoutMs);
    if (r.ok())
        return;
    QString why = r.errors.trimmed();
    if (!r.started)
        why = QStringLiteral("systemctl could not be started");
    else if (r.timedOut)
        why = QStringLiteral("systemctl did not answer in time");
    vb::Raise(5, QStringLiteral("systemctl --user %1: %2").arg(arguments.join(QLatin1Char(' ')), why));
}

void SystemdTaskScheduler::Save(SchedulerTask& task) {
    QDir().mkpath(folder_);
    const QString base = folder_ + QLatin1Char('/') + TaskUnitBase(task.Name());
    WriteFile(base + QStringLiteral(".service"), ServiceUnitText(task));
    WriteFile(base + QStringLiteral(".timer"), TimerUnitText(task));
    systemctl({QStringLiteral("daemon-reload")});
    const QString timer = TaskUnitBase(task.Name()) + QStringLiteral(".timer");
    if (task.Enabled())
        systemctl({QStringLiteral("enable"), QStringLiteral("--now"), timer});
    else
        systemctl({QStringLiteral("disable"), QStringLiteral("--now"), timer});
}

void SystemdTaskScheduler::Run(SchedulerTask& task) {
    systemctl({QStringLiteral("start"), QStringLiteral("--no-block"), TaskUnitBase(task.Name()) + QStringLiteral(".service")});
}

namespace {
QDateTime ShownTime(const std::shared_ptr<CommandRunner>& runner, const QString& timer, const QString& property) {
    const CommandResult r = runner->Run(
        QStringLiteral("systemctl"),
        {QStringLiteral("--user"), QStringLiteral("show"), timer, QStringLiteral("--property=") + property,
         QStringLiteral("--timestamp=unix")},
        SystemdTaskScheduler::kTimeoutMs);
    if (!r.ok())
        return {};
    for (const QString& line : r.output.split(QLatin1Char('\n')))
        if (line.startsWith(property + QLatin1Char('=')))
            return UnixTime(line.mid(property.size() + 1).trimmed());
    return {};
}
}  // namespace

QDateTime SystemdTaskScheduler::LastRunTime(const SchedulerTask& task) const {
    return ShownTime(runner_, TaskUnitBase(task.Name()) + QStringLiteral(".timer"), QStringLiteral("LastTriggerUSec"));
}

QDateTime SystemdTaskScheduler::NextRunTime(const SchedulerTask& task) const {
    return ShownTime(runner_, TaskUnitBase(task.Name()) + QStringLiteral(".timer"),
                     QStringLiteral("NextElapseUSecRealtime"));
}

void SystemdTaskScheduler::Delete(const SchedulerTask& task) {
    const QString base = TaskUnitBase(task.Name());
    try {
        systemctl({QStringLiteral("disable"), QStringLiteral("--now"), base + QStringLiteral(".timer")});
    } catch (...) {
        // a timer that was never switched on: its files go all the same
    }
    QFile::remove(folder_ + QLatin1Char('/') + base + QStringLiteral(".timer"));
    QFile::remove(folder_ + QLatin1Char('/') + base + QStringLiteral(".service"));
    systemctl({QStringLiteral("daemon-reload")});
}

std::unique_ptr<TaskScheduler> CreateSystemdTaskScheduler() {
    auto runner = ProcessCommandRunner();
    const CommandResult r =
        runner->Run(QStringLiteral("systemctl"), {QStringLiteral("--user"), QStringLiteral("show"), QStringLiteral("--property=Version")}, 5000);
    if (!r.ok())
        return nullptr;
    return std::make_unique<SystemdTaskScheduler>(runner, SystemdTaskScheduler::DefaultUnitFolder());
}

}  // namespace platform

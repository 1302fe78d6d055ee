// SPDX-License-Identifier: GPL-3.0-or-later
// The property dialog of a scheduled job.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/TaskScheduler.h"
#include "vb/Clock.h"

namespace platform {

namespace {

const char* const kTypeNames[] = {"Once",          "Daily",   "Weekly",          "Monthly (day of the month)",
                                  "Monthly (weekday)", "When idle", "At system start", "At logon"};

QString TriggerLine(const SchedulerTrigger& t) {
    const int type = t.TriggerType;
    const QString name = type >= 0 && type < 8 ? QString::fromLatin1(kTypeNames[type]) : QString::number(type);
    return QStringLiteral("%1, from %2 at %3")
        .arg(name, t.BeginDate.date().toString(Qt::ISODate), t.StartTime.time().toString(QStringLiteral("HH:mm")));
}

}  // namespace

bool EditTaskProperties(SchedulerTask& task, QWidget* owner) {
    QDialog d(owner);
    d.setWindowTitle(task.Name());
    auto* program = new QLineEdit(task.ApplicationName);
    auto* parameters = new QLineEdit(task.Parameters);
    auto* folder = new QLineEdit(task.WorkingDirectory);
    auto* enabled = new QCheckBox(QStringLiteral("Enabled"));
    enabled->setChecked(task.Enabled());
    for (QLineEdit* e : {program, parameters, folder})
        e->setMinimumWidth(360);

    QList<SchedulerTrigger> triggers = task.Triggers;
    auto* list = new QListWidget;
    auto* type = new QComboBox;
    for (const char* n : kTypeNames)
        type->addItem(QString::fromLatin1(n));
    auto* when = new QDateTimeEdit;
    when->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    when->setCalendarPopup(true);
    auto* add = new QPushButton(QStringLiteral("&New trigger"));
    auto* remove = new QPushButton(QStringLiteral("&Remove trigger"));

    bool filling = false;
    auto refill = [&] {
        filling = true;
        const int row = list->currentRow();
        list->clear();
        for (const SchedulerTrigger& t : triggers)
            list->addItem(TriggerLine(t));
        list->setCurrentRow(std::min(std::max(row, 0), int(triggers.size()) - 1));
        filling = false;
    };
    auto showSelected = [&] {
        const int row = list->currentRow();
        type->setEnabled(row >= 0);
        when->setEnabled(row >= 0);
        remove->setEnabled(row >= 0);
        if (row < 0)
            return;
        filling = true;
        type->setCurrentIndex(std::clamp(int(triggers[row].TriggerType), 0, 7));
        when->setDateTime(QDateTime(triggers[row].BeginDate.date(), triggers[row].StartTime.time()));
        filling = false;
    };
    auto edit = [&] {
        const int row = list->currentRow();
        if (filling || row < 0)
            return;
        triggers[row].TriggerType = type->currentIndex();
        triggers[row].BeginDate = QDateTime(when->date(), QTime(0, 0));
        triggers[row].StartTime = when->dateTime();
        list->item(row)->setText(TriggerLine(triggers[row]));
    };
    QObject::connect(list, &QListWidget::currentRowChanged, &d, showSelected);
    QObject::connect(type, &QComboBox::currentIndexChanged, &d, edit);
    QObject::connect(when, &QDateTimeEdit::dateTimeChanged, &d, edit);
    QObject::connect(add, &QPushButton::clicked, &d, [&] {
        SchedulerTrigger t;
        t.BeginDate = vb::Now();
        t.StartTime = vb::Now();
        triggers.append(t);
        refill();
        list->setCurrentRow(int(triggers.size()) - 1);
    });
    QObject::connect(remove, &QPushButton::clicked, &d, [&] {
        const int row = list->currentRow();
        if (row < 0)
            return;
        triggers.removeAt(row);
        refill();
        showSelected();
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Program file:"), program);
    form->addRow(QStringLiteral("Command line:"), parameters);
    form->addRow(QStringLiteral("Working folder:"), folder);
    form->addRow(QString(), enabled);
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(type);
    editRow->addWidget(when);
    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addWidget(add);
    buttonsRow->addWidget(remove);
    buttonsRow->addStretch(1);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(box, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto* v = new QVBoxLayout(&d);
    v->addLayout(form);
    v->addWidget(new QLabel(QStringLiteral("Triggers:")));
    v->addWidget(list);
    v->addLayout(editRow);
    v->addLayout(buttonsRow);
    v->addWidget(box);
    refill();
    showSelected();

    if (d.exec() != QDialog::Accepted)
        return false;
    task.ApplicationName = program->text();
    task.Parameters = parameters->text();
    task.WorkingDirectory = folder->text();
    task.Flags = enabled->isChecked() ? task.Flags & ~TASK_FLAG_DISABLED : task.Flags | TASK_FLAG_DISABLED;
    task.Triggers = triggers;
    return true;
}

}  // namespace platform

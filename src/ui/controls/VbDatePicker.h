// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateEdit>

namespace ui {

// A VB date picker: Value is a date (1 January 1601 to 31 December 9999);
// a date outside raises 380. It shows the user's short date form and opens
// a calendar.
class VbDatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit VbDatePicker(const QString& name, QWidget* parent = nullptr);

    QDate Value() const { return date(); }
    void setValue(const QDate& value);
};

}  // namespace ui

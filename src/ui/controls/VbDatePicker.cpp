// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbDatePicker.h"

#include <QLocale>

#include "ui/controls/VbControl.h"

namespace ui {

VbDatePicker::VbDatePicker(const QString& name, QWidget* parent) : QDateEdit(parent) {
    setObjectName(name);
    setCalendarPopup(true);
    setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
    // The short form with the full year, so that editing keeps the century.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    setDisplayFormat(format);
    setDate(QDate::currentDate());
}

void VbDatePicker::setValue(const QDate& value) {
    if (!value.isValid() || value < minimumDate() || value > maximumDate())
        RaiseInvalidValue();
    setDate(value);
}

}  // namespace ui

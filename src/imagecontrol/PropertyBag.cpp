// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecontrol/PropertyBag.h"

#include <QImage>
#include <QStringList>

namespace glimmora {

namespace {
bool isEmpty(const QVariant& v) { return !v.isValid() || v.isNull(); }

// Empty equals false, 0 and "".
bool emptyEquals(const QVariant& v) {
    if (isEmpty(v))
        return true;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return !v.toBool();
    case QMetaType::QString:
        return v.toString().isEmpty();
    case QMetaType::QImage:
        return v.value<QImage>().isNull();
    default:
        if (v.canConvert<double>())
            return v.toDouble() == 0.0;
        return false;
    }
}
}  // namespace

bool PropertyBag::SameValue(const QVariant& a, const QVariant& b) {
    if (isEmpty(a))
        return emptyEquals(b);
    if (isEmpty(b))
        return emptyEquals(a);
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString() == b.toString();
    if (a.typeId() == QMetaType::QImage || b.typeId() == QMetaType::QImage)
        return a.typeId() == b.typeId() && a.value<QImage>() == b.value<QImage>();
    if (a.typeId() == QMetaType::Bool || b.typeId() == QMetaType::Bool)
        return (a.toDouble() != 0.0) == (b.toDouble() != 0.0);
    return a.toDouble() == b.toDouble();
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const {
    for (const Entry& e : entries_)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return e.value;
    return defaultValue;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) {
    for (qsizetype i = 0; i < entries_.size(); ++i)
        if (entries_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            entries_.removeAt(i--);
    if (!SameValue(value, defaultValue))
        entries_.append({name, value});
}

void PropertyBag::Set(const QString& name, const QVariant& value) {
    for (Entry& e : entries_)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    entries_.append({name, value});
}

bool PropertyBag::Contains(const QString& name) const {
    for (const Entry& e : entries_)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList PropertyBag::Names() const {
    QStringList out;
    for (const Entry& e : entries_)
        out << e.name;
    return out;
}

}  // namespace glimmora

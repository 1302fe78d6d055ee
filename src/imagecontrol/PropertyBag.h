// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>
#include <QVariant>

#include "imagecontrol/GlimmoraExport.h"

namespace glimmora {

// The container's store of a control's saved settings: named values in the
// order they were written, each with its own type. A value equal to its
// default is left out on writing; an absent entry reads as its default. An
// invalid QVariant stands for "empty", which equals false, 0 and "".
class GLIMMORA_EXPORT PropertyBag {
public:
    struct Entry {
        QString name;
        QVariant value;
    };

    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {});

    // Puts an entry as a host form's stored text would, replacing one of the same name.
    void Set(const QString& name, const QVariant& value);
    bool Contains(const QString& name) const;
    const QList<Entry>& Entries() const { return entries_; }
    QStringList Names() const;
    void Clear() { entries_.clear(); }

    // Value equality as the property bag compares a value with its default.
    static bool SameValue(const QVariant& a, const QVariant& b);

private:
    QList<Entry> entries_;
};

}  // namespace glimmora

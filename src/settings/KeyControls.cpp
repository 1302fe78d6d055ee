// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/KeyControls.h"

#include <QHash>
#include <QPointer>

#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/VbError.h"

qint16 SavedCdDevice = 0;
qint16 SavedCdSpeed = 0;

namespace settings {
namespace {
const QStringList kNumberedOptionGroups = {"optBuMode", "optArchive", "optWaitBefore", "optWaitAfter"};

template <class T>
T* Need(frmMain_BackUp& form, const Key& key) {
    auto* control = qobject_cast<T*>(ControlOf(form, key));
    if (!control)
        vb::Raise(vb::errObjectNotSet);
    return control;
}
}  // namespace

QString ControlNameOf(const Key& key) {
    const QString name = QString::fromLatin1(key.name);
    if (name == QLatin1String("SldRatio"))
        return QStringLiteral("Slider1");
    if (name == QLatin1String("ProfileText"))
        return QStringLiteral("cmbProfiles");
    if (key.kind == Kind::Option) {
        for (const QString& group : kNumberedOptionGroups) {
            if (name.startsWith(group) && name.length() > group.length())
                return group + QLatin1Char('_') + name.mid(group.length());
        }
    }
    return name;
}

namespace {
// Every named object below `parent`, each name with the object that
// findChild() gives for it: the children of a parent are taken before those
// of any of its children, and the first of a name stays.
void IndexNames(const QObject& parent, QHash<QString, QPointer<QObject>>& names) {
    const QObjectList& children = parent.children();
    for (QObject* child : children) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !names.contains(name))
            names.insert(name, child);
    }
    for (const QObject* child : children)
        IndexNames(*child, names);
}
}  // namespace

// A load or a save goes through every key: the window's tree is walked once
// for the names of all its controls, and a control is kept for as long as it
// lives under its name in that window. A name not found then (or whose
// control has gone) is looked for again.
QObject* ControlOf(frmMain_BackUp& form, const Key& key) {
    static QPointer<frmMain_BackUp> window;
    static QHash<QString, QPointer<QObject>> found;
    if (window != &form) {
        found.clear();
        window = &form;
        IndexNames(form, found);
    }
    const QString name = ControlNameOf(key);
    if (const auto it = found.constFind(name); it != found.cend() && *it && (*it)->objectName() == name)
        return *it;
    QObject* control = form.findChild<QObject*>(name);
    if (control)
        found.insert(name, control);
    return control;
}

QString StoredText(frmMain_BackUp& form, const Key& key) {
    switch (key.kind) {
    case Kind::Check:
        return vb::CStr(Need<ui::VbCheckBox>(form, key)->Value());
    case Kind::Option:
        return Need<ui::VbOptionButton>(form, key)->Value() ? QStringLiteral("-1") : QStringLiteral("0");
    case Kind::Text:
        return Need<ui::VbTextBox>(form, key)->Text();
    case Kind::ComboText:
        return Need<ui::VbComboBox>(form, key)->Text();
    case Kind::ListIndex:
        return vb::CStr(static_cast<int>(Need<ui::VbComboBox>(form, key)->ListIndex()));
    case Kind::Slider:
        return vb::CStr(Need<ui::VbSlider>(form, key)->Value());
    case Kind::Date:
        return vb::ShortDateText(Need<ui::VbDatePicker>(form, key)->Value());
    }
    return {};
}

void ApplyStoredText(frmMain_BackUp& form, const Key& key, const QString& text) {
    switch (key.kind) {
    case Kind::Check: {
        auto* box = Need<ui::VbCheckBox>(form, key);
        box->setValue(vb::CInt(text));
        return;
    }
    case Kind::Option: {
        auto* option = Need<ui::VbOptionButton>(form, key);
        option->setValue(vb::CBool(text));
        return;
    }
    case Kind::Text:
        Need<ui::VbTextBox>(form, key)->setText(text);
        return;
    case Kind::ComboText:
        Need<ui::VbComboBox>(form, key)->setText(text);
        return;
    case Kind::ListIndex: {
        const qint16 index = vb::CInt(text);
        if (qstrcmp(key.name, "cboDevices") == 0)
            SavedCdDevice = index;
        else
            SavedCdSpeed = index;
        return;
    }
    case Kind::Slider: {
        auto* slider = Need<ui::VbSlider>(form, key);
        slider->setValue(vb::CLng(text));
        return;
    }
    case Kind::Date: {
        auto* picker = Need<ui::VbDatePicker>(form, key);
        picker->setValue(vb::CDate(text).date());
        return;
    }
    }
}

}  // namespace settings

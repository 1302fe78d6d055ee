// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include <QStringList>

#include "platform/Registry.h"
#include "vb/VbError.h"

namespace platform {
namespace {

bool validLevels(const QString& name) {
    if (name.isEmpty())
        return false;
    const QStringList parts = name.split(QLatin1Char('\\'));
    for (const QString& p : parts)
        if (p.isEmpty())
            return false;
    return true;
}

bool valid(const QString& app, const QString& section) { return validLevels(app) && validLevels(section); }

[[noreturn]] void refuse() { vb::Raise(vb::errInvalidCall); }

QString sectionKey(const QString& app, const QString& section) {
    return SettingsKeyPath(app) + QLatin1Char('\\') + section;
}

}  // namespace

QString SettingsKeyPath(const QString& app) {
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + app;
}

QString GetSetting(const QString& app, const QString& section, const QString& key, const QString& defaultValue) {
    if (!valid(app, section) || key.isEmpty())
        return defaultValue;
    return RegGetValue(sectionKey(app, section), key).value_or(defaultValue);
}

void SaveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    if (!valid(app, section) || key.isEmpty())
        refuse();
    RegSetValue(sectionKey(app, section), key, value);
}

void DeleteSetting(const QString& app, const QString& section, const QString& key) {
    if (!validLevels(app))
        refuse();
    bool deleted = false;
    if (section.isEmpty()) {
        if (!key.isEmpty())
            refuse();  // a key without its section names nothing
        deleted = RegDeleteTree(SettingsKeyPath(app));
    } else {
        if (!validLevels(section))
            refuse();
        deleted = key.isEmpty() ? RegDeleteTree(sectionKey(app, section)) : RegDeleteValue(sectionKey(app, section), key);
    }
    if (!deleted)
        refuse();
}

QList<QPair<QString, QString>> GetAllSettings(const QString& app, const QString& section) {
    if (!valid(app, section))
        return {};
    return RegEnumValues(sectionKey(app, section));
}

}  // namespace platform

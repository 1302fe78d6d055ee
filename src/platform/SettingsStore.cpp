// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include <QHash>

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

namespace {
int g_readScopes = 0;
// Sections read whole, by folded key path; names folded as well.
QHash<QString, QHash<QString, QString>> g_sections;
}  // namespace

SettingsReadScope::SettingsReadScope() { ++g_readScopes; }
SettingsReadScope::~SettingsReadScope() {
    if (--g_readScopes == 0)
        g_sections.clear();
}

void SettingsChanged() { g_sections.clear(); }

QString GetSetting(const QString& app, const QString& section, const QString& key, const QString& defaultValue) {
    if (!valid(app, section) || key.isEmpty())
        return defaultValue;
    if (g_readScopes == 0)
        return RegGetValue(sectionKey(app, section), key).value_or(defaultValue);
    const QString path = sectionKey(app, section).toCaseFolded();
    auto it = g_sections.find(path);
    if (it == g_sections.end()) {
        QHash<QString, QString> values;
        for (const auto& [name, value] : RegEnumValues(sectionKey(app, section)))
            values.insert(name.toCaseFolded(), value);
        it = g_sections.insert(path, values);
    }
    const auto v = it->constFind(key.toCaseFolded());
    return v == it->constEnd() ? defaultValue : *v;
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

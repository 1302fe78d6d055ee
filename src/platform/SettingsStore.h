// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QPair>
#include <QString>

// The per-user settings store: string values by application name, section and
// key. It lives in the registry tree (Registry.h) under
// "HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>",
// the key being the value name; "\" in the application name or section makes
// deeper levels. Names are compared without regard to case.
//
// A name that is empty, or that holds an empty level ("A\\B", a trailing "\"),
// is refused with error 5 (Invalid procedure call or argument) on writing and
// deleting, and reads give the default: so a profile name that is still empty
// never lands its values one level up, among the user's own settings.
namespace platform {

// The registry key under which the settings of `app` live.
QString SettingsKeyPath(const QString& app);

// The stored value, or `defaultValue` when there is none.
QString GetSetting(const QString& app, const QString& section, const QString& key, const QString& defaultValue = {});
// Stores the value, creating the levels as needed and replacing an earlier value.
void SaveSetting(const QString& app, const QString& section, const QString& key, const QString& value);
// Deletes the application's settings (with its deeper levels), a section, or one
// key. Deleting what does not exist raises error 5, as VB does.
void DeleteSetting(const QString& app, const QString& section = {}, const QString& key = {});
// The (key, value) pairs of a section in the order they were first stored;
// empty when the section does not exist.
QList<QPair<QString, QString>> GetAllSettings(const QString& app, const QString& section);

// While one of these lives, GetSetting reads a section whole the first time
// it is asked for a key of it and answers the section's later keys from that
// read (one query a section instead of one a key). Any change made to the
// registry tree in this process forgets what was read.
class SettingsReadScope {
public:
    SettingsReadScope();
    ~SettingsReadScope();
    SettingsReadScope(const SettingsReadScope&) = delete;
    SettingsReadScope& operator=(const SettingsReadScope&) = delete;
};

// The registry tree tells the read scope that something was changed.
void SettingsChanged();

}  // namespace platform

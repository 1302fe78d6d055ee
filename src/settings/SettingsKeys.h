// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// The settings keys of the program: one row per key with its level, the kind
// of control that holds its value, and the default a read uses when nothing
// is stored. Save_Settings writes the rows in table order; Load_Settings reads
// them in its own order (see LoadOrder*), and a test checks that both cover
// the same keys.
namespace settings {

enum class Level {
    User,     // "NRV\<program>\<user>", section "Settings"
    Profile,  // "NRV\<program>\<user>\<profile>", section "Settings"
};

enum class Kind {
    Check,      // check box: "0" / "1"
    Option,     // option button: "-1" / "0"
    Text,       // text box: verbatim
    ComboText,  // the profile box's text: verbatim
    ListIndex,  // a list's selected index, "-1" when none
    Slider,     // slider position
    Date,       // date picker: the short date text
};

enum class DefaultFrom {
    Literal,
    ProgramFolder,      // the program's folder
    ProgramFolderTemp,  // the program's folder & "\Temp"
    Today,              // today's date as short date text
};

struct Key {
    const char* name;
    Level level;
    Kind kind;
    const char* literal;  // the default when `from` is Literal
    DefaultFrom from = DefaultFrom::Literal;
};

// User-level keys of section "Settings", in the order a save writes them.
const std::vector<Key>& UserKeys();
// Profile-level keys, in the order a save writes them.
const std::vector<Key>& ProfileKeys();
// The key of that name (compared without regard to case), or nullptr.
const Key* FindKey(const QString& name);
// The default a read of the key uses, in text form.
QString DefaultText(const Key& key);

// The order in which Load_Settings reads its keys (names of table rows).
// Profile keys: the groups of its steps, split where it does more than a
// read (parsing a mask list, the password rule, the backup-mode click).
extern const QStringList kLoadMaskTexts;       // each followed by its parser
extern const QStringList kLoadProfileBeforeMode;  // after the password pair
extern const QStringList kLoadProfileAfterMode;
extern const QStringList kLoadUserKeys;        // after the source list
// The keys that hold passwords (the archive's, the FTP server's, the POP3
// server's): no export of the settings carries their values.
extern const QStringList kPasswordKeys;
// Keys that the save writes and the load never reads.
extern const QStringList kSaveOnlyUserKeys;    // ProfileText, chkProfileStandard

// Window placement: section "Data" of the user level, in twips.
struct PlacementKey {
    const char* name;
    float defaultValue;
};
const std::vector<PlacementKey>& PlacementKeys();  // MainLeft, MainTop, MainWidth, MainHeight

// Application names and sections.
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kData = "Data";
QString UserSettingsApp();
// Built from the profile box's text at the moment of the call.
QString ProfileSettingsApp();
QString ProfileSettingsApp(const QString& profile);
QString AppOf(Level level);

// Store access with the settings' application names.
QString ReadSetting(const Key& key);  // with the key's default
void WriteSetting(const Key& key, const QString& value);
QString ReadUser(const QString& key, const QString& defaultText);
QString ReadProfile(const QString& key, const QString& defaultText);
void WriteUser(const QString& key, const QString& value);
void WriteProfile(const QString& key, const QString& value);

}  // namespace settings

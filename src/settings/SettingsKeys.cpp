// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsKeys.h"

#include "common/Globals.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"

namespace settings {
namespace {
using L = Level;
using K = Kind;
using D = DefaultFrom;
}  // namespace

const std::vector<Key>& UserKeys() {
    static const std::vector<Key> keys = {
        {"ProfileText", L::User, K::ComboText, "Standard"},
        {"chkStartWithWindow", L::User, K::Check, "0"},
        {"chkSystray", L::User, K::Check, "0"},
        {"chkWinOnTop", L::User, K::Check, "0"},
        {"txtSpareSpace", L::User, K::Text, "0"},
        {"chkSound", L::User, K::Check, "1"},
        {"txtFTPserver", L::User, K::Text, "ftp.example.com"},
        {"txtFTPuser", L::User, K::Text, ""},
        {"txtFTPpassword", L::User, K::Text, ""},
        {"txtFTPrestoreDir", L::User, K::Text, "C:\\backup\\temp"},
        {"txtFTPProxy", L::User, K::Text, ""},
        {"txtFTPport", L::User, K::Text, "21"},
        {"chkProxy", L::User, K::Check, "0"},
        {"chkProfileStandard", L::User, K::Check, "0"},
    };
    return keys;
}

const std::vector<Key>& ProfileKeys() {
    static const std::vector<Key> keys = {
        {"chkRemeberPassword", L::Profile, K::Check, "0"},
        {"txtEncryptPassword", L::Profile, K::Text, ""},
        {"chkWriteLog", L::Profile, K::Check, "0"},
        {"chkSelectionWarning", L::Profile, K::Check, "0"},
        {"chkShutdown", L::Profile, K::Check, "0"},
        {"txtFTPdir", L::Profile, K::Text, "backup"},
        {"SldRatio", L::Profile, K::Slider, "6"},
        {"txtPathBackUp", L::Profile, K::Text, "", D::ProgramFolder},
        {"txtPathTemp", L::Profile, K::Text, "", D::ProgramFolderTemp},
        {"chkExclOldFiles", L::Profile, K::Check, "0"},
        {"chkExclYoungFiles", L::Profile, K::Check, "0"},
        {"chkExclYoungDayFiles", L::Profile, K::Check, "0"},
        {"txtExclYoungDay", L::Profile, K::Text, "0"},
        {"txtExclusions", L::Profile, K::Text,
         "*.swp,*.exe,*.bak,*.vbw,*.tmp,*.zip,*.cry,*.cab,*.rar,*.dll,*.ocx,*.log,*.wav,*.avi,*.nrv"},
        {"txtDirExclusions", L::Profile, K::Text, "backup,temp"},
        {"txtInclusions", L::Profile, K::Text, ""},
        {"chkEncrypt", L::Profile, K::Check, "0"},
        {"chkHiddenFolders", L::Profile, K::Check, "1"},
        {"chkDeleteArchive", L::Profile, K::Check, "0"},
        {"txtDeleteArchive", L::Profile, K::Text, "365"},
        {"txtMaxFiles", L::Profile, K::Text, "1000"},
        {"txtMaxZIPsize", L::Profile, K::Text, "100"},
        {"chkMaxFiles", L::Profile, K::Check, "1"},
        {"optNewOnly", L::Profile, K::Option, "-1"},
        {"optComplete", L::Profile, K::Option, "0"},
        {"optCompleteNoFilter", L::Profile, K::Option, "0"},
        {"optBuMode0", L::Profile, K::Option, "-1"},
        {"optBuMode1", L::Profile, K::Option, "0"},
        {"optBuMode2", L::Profile, K::Option, "0"},
        {"optArchive0", L::Profile, K::Option, "-1"},
        {"optArchive1", L::Profile, K::Option, "0"},
        {"optArchive2", L::Profile, K::Option, "0"},
        {"chkSendEmail", L::Profile, K::Check, "0"},
        {"chkFTP", L::Profile, K::Check, "0"},
        {"chkMedia", L::Profile, K::Check, "1"},
        {"chkAddNewSub", L::Profile, K::Check, "0"},
        {"chkSplit", L::Profile, K::Check, "1"},
        {"chkOverwriteFile", L::Profile, K::Check, "1"},
        {"chkInclSubDirStruct", L::Profile, K::Check, "1"},
        {"chkResetArchiveBit", L::Profile, K::Check, "1"},
        {"chkAppendArchive", L::Profile, K::Check, "1"},
        {"chkRunBefore", L::Profile, K::Check, "0"},
        {"chkRunAfter", L::Profile, K::Check, "0"},
        {"txtPathBefore", L::Profile, K::Text, ""},
        {"txtCommandlineBefore", L::Profile, K::Text, ""},
        {"txtPathAfter", L::Profile, K::Text, ""},
        {"txtCommandlineAfter", L::Profile, K::Text, ""},
        {"chkInclRegistry", L::Profile, K::Check, "0"},
        {"optRegistryTXT", L::Profile, K::Option, "0"},
        {"optRegistryREG", L::Profile, K::Option, "-1"},
        {"chkInclOutlookE", L::Profile, K::Check, "0"},
        {"chkUseCDRecorder", L::Profile, K::Check, "0"},
        {"chkUseBurnProof", L::Profile, K::Check, "0"},
        {"cboDevices", L::Profile, K::ListIndex, "0"},
        {"cboWriteSpeed", L::Profile, K::ListIndex, "0"},
        {"txtWaitSecondsBefore", L::Profile, K::Text, "30"},
        {"txtWaitSecondsAfter", L::Profile, K::Text, "30"},
        {"optWaitBefore0", L::Profile, K::Option, "0"},
        {"optWaitBefore1", L::Profile, K::Option, "-1"},
        {"optWaitBefore2", L::Profile, K::Option, "0"},
        {"optWaitAfter3", L::Profile, K::Option, "0"},
        {"optWaitAfter4", L::Profile, K::Option, "-1"},
        {"optWaitAfter5", L::Profile, K::Option, "0"},
        {"txtSourceSync", L::Profile, K::Text, ""},
        {"txtDestinySync", L::Profile, K::Text, ""},
        {"chkSyncBothDirections", L::Profile, K::Check, "0"},
        {"chkSyncSubDirs", L::Profile, K::Check, "0"},
        {"DTPicker1", L::Profile, K::Date, "", D::Today},
        {"DTPicker2", L::Profile, K::Date, "", D::Today},
    };
    return keys;
}

const QStringList kLoadMaskTexts = {"txtExclusions", "txtDirExclusions", "txtInclusions"};

const QStringList kLoadProfileBeforeMode = {
    "chkWriteLog",      "chkSelectionWarning", "SldRatio",        "txtPathBackUp",    "txtPathTemp",
    "chkExclOldFiles",  "chkExclYoungFiles",   "chkExclYoungDayFiles", "txtExclYoungDay", "chkHiddenFolders",
    "chkEncrypt",       "chkDeleteArchive",    "txtDeleteArchive", "txtMaxFiles",      "txtMaxZIPsize",
    "chkMaxFiles",      "optNewOnly",          "optComplete",     "optBuMode0",       "optBuMode1",
    "optBuMode2",       "optArchive0",         "optArchive1",     "optArchive2",      "chkSendEmail",
    "chkFTP",           "chkMedia",            "chkAppendArchive",
};

const QStringList kLoadProfileAfterMode = {
    "optCompleteNoFilter", "chkAddNewSub",        "DTPicker1",           "DTPicker2",
    "chkSplit",            "chkOverwriteFile",    "chkInclSubDirStruct", "chkResetArchiveBit",
    "chkShutdown",         "txtFTPdir",           "chkRunBefore",        "chkRunAfter",
    "txtPathBefore",       "txtCommandlineBefore", "txtPathAfter",       "txtCommandlineAfter",
    "cboDevices",          "cboWriteSpeed",       "chkUseCDRecorder",    "chkUseBurnProof",
    "chkInclRegistry",     "optRegistryTXT",      "optRegistryREG",      "chkInclOutlookE",
    "txtSourceSync",       "txtDestinySync",      "chkSyncBothDirections", "chkSyncSubDirs",
    "txtWaitSecondsBefore", "txtWaitSecondsAfter", "optWaitBefore0",     "optWaitBefore1",
    "optWaitBefore2",      "optWaitAfter3",       "optWaitAfter4",       "optWaitAfter5",
};

const QStringList kPasswordKeys = {QStringLiteral("txtEncryptPassword"), QStringLiteral("txtFTPpassword"),
                                   QStringLiteral("txtPass")};

const QStringList kLoadUserKeys = {
    "txtFTPserver", "txtFTPuser", "txtFTPpassword", "txtFTPrestoreDir", "txtFTPProxy", "txtFTPport",
    "chkProxy",     "chkSystray", "chkStartWithWindow", "txtSpareSpace", "chkWinOnTop",
};

const QStringList kSaveOnlyUserKeys = {"ProfileText", "chkProfileStandard"};

const std::vector<PlacementKey>& PlacementKeys() {
    static const std::vector<PlacementKey> keys = {
        {"MainLeft", 1000.0f},
        {"MainTop", 1000.0f},
        {"MainWidth", 9730.0f},
        {"MainHeight", 7785.0f},
    };
    return keys;
}

const Key* FindKey(const QString& name) {
    for (const auto* table : {&UserKeys(), &ProfileKeys()}) {
        for (const Key& k : *table) {
            if (name.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
                return &k;
        }
    }
    return nullptr;
}

QString DefaultText(const Key& key) {
    switch (key.from) {
    case DefaultFrom::ProgramFolder:
        return platform::ProgramFolder();
    case DefaultFrom::ProgramFolderTemp:
        return platform::ProgramFolder() + QStringLiteral("\\Temp");
    case DefaultFrom::Today:
        return vb::ShortDateText(vb::Date());
    case DefaultFrom::Literal:
        break;
    }
    return QString::fromLatin1(key.literal);
}

QString UserSettingsApp() {
    return QStringLiteral("NRV\\") + ProgramName + QStringLiteral("\\") + UserName;
}

QString ProfileSettingsApp(const QString& profile) { return UserSettingsApp() + QStringLiteral("\\") + profile; }

QString ProfileSettingsApp() { return ProfileSettingsApp(fMainForm->cmbProfiles->Text()); }

QString AppOf(Level level) { return level == Level::User ? UserSettingsApp() : ProfileSettingsApp(); }

QString ReadSetting(const Key& key) {
    return platform::GetSetting(AppOf(key.level), QString::fromLatin1(kSettings), QString::fromLatin1(key.name),
                                DefaultText(key));
}

void WriteSetting(const Key& key, const QString& value) {
    platform::SaveSetting(AppOf(key.level), QString::fromLatin1(kSettings), QString::fromLatin1(key.name), value);
}

QString ReadUser(const QString& key, const QString& defaultText) {
    return platform::GetSetting(UserSettingsApp(), QString::fromLatin1(kSettings), key, defaultText);
}

QString ReadProfile(const QString& key, const QString& defaultText) {
    return platform::GetSetting(ProfileSettingsApp(), QString::fromLatin1(kSettings), key, defaultText);
}

void WriteUser(const QString& key, const QString& value) {
    platform::SaveSetting(UserSettingsApp(), QString::fromLatin1(kSettings), key, value);
}

void WriteProfile(const QString& key, const QString& value) {
    platform::SaveSetting(ProfileSettingsApp(), QString::fromLatin1(kSettings), key, value);
}

}  // namespace settings

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDate>
#include <QMap>
#include <QSet>

#include "SettingsTest.h"
#include "settings/KeyControls.h"
#include "settings/LoadSettings.h"
#include "settings/SaveSettings.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"

using namespace settings;

namespace {
std::vector<const Key*> AllKeys() {
    std::vector<const Key*> out;
    for (const Key& k : UserKeys())
        out.push_back(&k);
    for (const Key& k : ProfileKeys())
        out.push_back(&k);
    return out;
}

bool ControlHasKind(QObject* c, Kind kind) {
    switch (kind) {
    case Kind::Check: return qobject_cast<ui::VbCheckBox*>(c);
    case Kind::Option: return qobject_cast<ui::VbOptionButton*>(c);
    case Kind::Text: return qobject_cast<ui::VbTextBox*>(c);
    case Kind::ComboText:
    case Kind::ListIndex: return qobject_cast<ui::VbComboBox*>(c);
    case Kind::Slider: return qobject_cast<ui::VbSlider*>(c);
    case Kind::Date: return qobject_cast<ui::VbDatePicker*>(c);
    }
    return false;
}

// Puts a value other than the key's default into every control (options:
// one non-default member per group), so that a load has to set each one.
void ScrambleControls(frmMain_BackUp& f, const QString& profile) {
    for (const Key* k : AllKeys()) {
        QObject* c = ControlOf(f, *k);
        switch (k->kind) {
        case Kind::Check:
            qobject_cast<ui::VbCheckBox*>(c)->setValue(DefaultText(*k) == "1" ? 0 : 1);
            break;
        case Kind::Option:
            qobject_cast<ui::VbOptionButton*>(c)->setValue(false);
            break;
        case Kind::Text:
            qobject_cast<ui::VbTextBox*>(c)->setText(QStringLiteral("%1 ä, ;x").arg(k->name));
            break;
        case Kind::Slider:
            qobject_cast<ui::VbSlider*>(c)->setValue(3);
            break;
        case Kind::Date:
            qobject_cast<ui::VbDatePicker*>(c)->setValue(QDate(2004, 3, qstrcmp(k->name, "DTPicker1") == 0 ? 7 : 9));
            break;
        case Kind::ListIndex: {
            auto* combo = qobject_cast<ui::VbComboBox*>(c);
            combo->Clear();
            combo->AddItem("first");
            combo->AddItem("second");
            combo->setListIndex(1);
            break;
        }
        case Kind::ComboText:
            break;
        }
    }
    for (ui::VbOptionButton* o : {f.optComplete, f.optBuMode(1), f.optArchive(2), f.optRegistryTXT,
                                  f.optWaitBefore(0), f.optWaitAfter(5)})
        o->setValue(true);
    f.cmbProfiles->setText(profile);
    SavedCdDevice = 5;
    SavedCdSpeed = 5;
}

QMap<QString, QString> Snapshot(frmMain_BackUp& f) {
    QMap<QString, QString> out;
    for (const Key* k : AllKeys())
        out[k->name] = StoredText(f, *k);
    return out;
}
}  // namespace

TEST(SettingsKeyTable, EveryKeyHasItsControlAndLoadReadsEachOnce) {
    EXPECT_EQ(UserKeys().size(), 14u);
    EXPECT_EQ(ProfileKeys().size(), 69u);
    frmMain_BackUp f;
    for (const Key* k : AllKeys()) {
        QObject* c = ControlOf(f, *k);
        ASSERT_NE(c, nullptr) << k->name;
        EXPECT_TRUE(ControlHasKind(c, k->kind)) << k->name << " -> " << ControlNameOf(*k).toStdString();
        // The only one of its name: the one kept for the next look-up is
        // the one a search would find.
        EXPECT_EQ(f.findChildren<QObject*>(ControlNameOf(*k)).size(), 1) << k->name;
        EXPECT_EQ(ControlOf(f, *k), c) << k->name;
    }
    {
        // Another window has controls of its own.
        auto* other = new frmMain_BackUp;
        const Key* k = FindKey(QStringLiteral("txtPathBackUp"));
        ASSERT_NE(k, nullptr);
        QObject* c = ControlOf(*other, *k);
        EXPECT_NE(c, nullptr);
        EXPECT_NE(c, ControlOf(f, *k));
        EXPECT_TRUE(other->isAncestorOf(qobject_cast<QWidget*>(c)));
        delete other;
        fMainForm = &f;
    }
    EXPECT_EQ(ControlNameOf(*FindKey("optBuMode2")), "optBuMode_2");
    EXPECT_EQ(ControlNameOf(*FindKey("optWaitAfter3")), "optWaitAfter_3");
    EXPECT_EQ(ControlNameOf(*FindKey("SldRatio")), "Slider1");
    EXPECT_EQ(ControlNameOf(*FindKey("optNewOnly")), "optNewOnly");

    // The load's reading order names every profile key once and every
    // user key but the two that only start-up and the window read.
    QStringList profileLoad = kLoadMaskTexts;
    profileLoad << "chkRemeberPassword" << "txtEncryptPassword" << kLoadProfileBeforeMode << kLoadProfileAfterMode;
    QStringList profileTable;
    for (const Key& k : ProfileKeys())
        profileTable << k.name;
    EXPECT_EQ(profileLoad.size(), 69);
    EXPECT_EQ(QSet<QString>(profileLoad.begin(), profileLoad.end()),
              QSet<QString>(profileTable.begin(), profileTable.end()));

    QStringList userLoad = kLoadUserKeys;
    userLoad << "chkSound" << kSaveOnlyUserKeys;
    QStringList userTable;
    for (const Key& k : UserKeys())
        userTable << k.name;
    EXPECT_EQ(userLoad.size(), 14);
    EXPECT_EQ(QSet<QString>(userLoad.begin(), userLoad.end()), QSet<QString>(userTable.begin(), userTable.end()));
    for (const Key* k : AllKeys())
        EXPECT_EQ(FindKey(QString::fromLatin1(k->name).toUpper()), k);
}

TEST_F(SettingsTest, NeverSavedProfileLoadsTheTableDefaults) {
    bSoundAvailable = true;
    ScrambleControls(*f, QStringLiteral("Never saved"));
    f->txtEncryptPassword->setText("typed before");
    Load_Settings();

    for (const Key& k : ProfileKeys()) {
        if (k.kind == Kind::ListIndex || qstrcmp(k.name, "txtEncryptPassword") == 0)
            continue;
        EXPECT_EQ(StoredText(*f, k), DefaultText(k)) << k.name;
    }
    for (const QString& name : kLoadUserKeys + QStringList{"chkSound"})
        EXPECT_EQ(StoredText(*f, *FindKey(name)), DefaultText(*FindKey(name))) << name.toStdString();
    EXPECT_EQ(SavedCdDevice, 0);
    EXPECT_EQ(SavedCdSpeed, 0);
    // Not remembered: the password box keeps what it held.
    EXPECT_EQ(f->txtEncryptPassword->Text(), "typed before");
    EXPECT_EQ(DefaultText(*FindKey("txtPathTemp")), platform::ProgramFolder() + "\\Temp");
    EXPECT_EQ(DefaultText(*FindKey("DTPicker2")), vb::ShortDateText(vb::Date()));

    // What the window shows around the load.
    EXPECT_EQ(f->List1->ListCount(), 0);
    EXPECT_EQ(f->RtbNews1->Text(), LangText(3));
    EXPECT_EQ(f->SSTab1->Tab(), 0);
    EXPECT_TRUE(f->SSTab1->isEnabled());
    EXPECT_TRUE(f->tbTools->isEnabled());
    EXPECT_TRUE(ui::Visible(f->Frame7));
    EXPECT_FALSE(ui::Visible(f->Animation1));
    EXPECT_FALSE(f->TimerRT->Enabled());
    EXPECT_EQ(spoken, QStringList{"1|" + LangText(2)});
    EXPECT_EQ(f->cmbProfiles->Text(), "Never saved");

    // The mask lists follow their loaded texts.
    EXPECT_EQ(BackupExclusions.count, 15);
    EXPECT_EQ(BackupExclusions.mask(15), "*.NRV");
    ASSERT_EQ(BackupDirExclusions.count, 2);
    EXPECT_EQ(BackupDirExclusions.mask(1), "BACKUP");
    EXPECT_EQ(BackupDirExclusions.mask(2), "TEMP");
    EXPECT_EQ(BackupInclusions.count, 0);
}

TEST_F(SettingsTest, SaveThenLoadGivesBackEveryKeyInItsEncoding) {
    bSoundAvailable = true;
    const QString profile = QStringLiteral("Round trip");
    ScrambleControls(*f, profile);
    f->chkRemeberPassword->setValue(1);
    f->txtEncryptPassword->setText("secret, with ; and ä");
    const QMap<QString, QString> saved = Snapshot(*f);
    Save_Settings();

    for (const Key* k : AllKeys()) {
        const QString stored = k->level == Level::User ? storedUser(k->name) : storedProfile(profile, k->name);
        EXPECT_EQ(stored, saved[k->name]) << k->name;
        if (k->kind == Kind::Check) {
            EXPECT_TRUE(stored == "0" || stored == "1") << k->name;
        }
        if (k->kind == Kind::Option) {
            EXPECT_TRUE(stored == "-1" || stored == "0") << k->name;
        }
    }
    EXPECT_EQ(storedProfile(profile, "optBuMode1"), "-1");
    EXPECT_EQ(storedProfile(profile, "optBuMode0"), "0");
    EXPECT_EQ(storedProfile(profile, "DTPicker1"), vb::ShortDateText(QDate(2004, 3, 7)));
    EXPECT_EQ(storedProfile(profile, "SldRatio"), "3");
    EXPECT_EQ(storedProfile(profile, "cboDevices"), "1");
    EXPECT_EQ(storedUser("ProfileText"), profile);
    EXPECT_EQ(platform::GetSetting("NRV\\Common", "GUEST", "txtUserName", "<none>"), "");
    EXPECT_EQ(platform::GetSetting("NRV\\Common", "GUEST", "txtUserEmail", "<none>"), "");
    EXPECT_EQ(logLines(), QStringList());

    form = std::make_unique<frmMain_BackUp>();
    f = form.get();
    f->cmbProfiles->setText(profile);
    Load_Settings();
    const QMap<QString, QString> loaded = Snapshot(*f);
    for (const Key* k : AllKeys()) {
        if (k->kind == Kind::ListIndex || QStringList(kSaveOnlyUserKeys).contains(k->name))
            continue;
        EXPECT_EQ(loaded[k->name], saved[k->name]) << k->name;
    }
    EXPECT_EQ(SavedCdDevice, 1);
    EXPECT_EQ(SavedCdSpeed, 1);
    // Synchronisation mode was not saved, so the filter panel is shown.
    EXPECT_TRUE(ui::Visible(f->Frame7));

    // No recorder selected: "-1", loaded as -1.
    f->cboDevices->setListIndex(-1);
    Save_Settings();
    EXPECT_EQ(storedProfile(profile, "cboDevices"), "-1");
    Load_Settings();
    EXPECT_EQ(SavedCdDevice, -1);
}

TEST_F(SettingsTest, PasswordIsStoredOnlyWhileItIsRemembered) {
    const QString profile = QStringLiteral("Pw");
    f->cmbProfiles->setText(profile);
    f->chkRemeberPassword->setValue(1);
    f->txtEncryptPassword->setText("old secret");
    Save_Settings();
    EXPECT_EQ(storedProfile(profile, "txtEncryptPassword"), "old secret");

    f->chkRemeberPassword->setValue(0);
    Save_Settings();
    EXPECT_EQ(storedProfile(profile, "txtEncryptPassword"), "");

    // A load with the option off leaves the box alone; with it on the
    // stored text replaces it.
    f->txtEncryptPassword->setText("in the box");
    Load_Settings();
    EXPECT_EQ(f->txtEncryptPassword->Text(), "in the box");
    storeProfile(profile, "chkRemeberPassword", "1");
    Load_Settings();
    EXPECT_EQ(f->txtEncryptPassword->Text(), "");
}

TEST_F(SettingsTest, PlacementIsSkippedOnlyWhileMinimised) {
    f->cmbProfiles->setText("Standard");
    f->show();
    Save_Settings();
    EXPECT_EQ(storedUser("MainLeft", "Data"), vb::CStr(double(f->Left())));
    EXPECT_EQ(storedUser("MainWidth", "Data"), vb::CStr(double(f->Width())));
    EXPECT_EQ(storedUser("MainHeight", "Data"), vb::CStr(double(f->Height())));

    for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
        platform::SaveSetting(UserSettingsApp(), "Data", key, "123");
    f->setWindowState(1);
    ASSERT_EQ(f->WindowState(), 1);
    f->chkWinOnTop->setValue(1);
    Save_Settings();
    for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
        EXPECT_EQ(storedUser(key, "Data"), "123") << key;
    EXPECT_EQ(storedUser("chkWinOnTop"), "1");
}

// With no profile name the store refuses every profile write: each is
// logged and skipped, and the user-level keys are still written.
TEST_F(SettingsTest, SaveWithoutAProfileNameLogsEachRefusedWrite) {
    f->cmbProfiles->setText("");
    f->chkSystray->setValue(1);
    Save_Settings();
    EXPECT_EQ(errorsLabelled("Save_Settings of Modul Vaultora_Sub"), 69);
    EXPECT_EQ(storedUser("chkSystray"), "1");
    EXPECT_EQ(storedUser("ProfileText"), "");
    EXPECT_TRUE(QDir(testenv::programDir()).entryList({"*.pfl"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(SettingsTest, SavingUnderANewNameKeepsTheOldKeys) {
    f->cmbProfiles->setText("Alpha");
    f->chkEncrypt->setValue(1);
    f->List1->AddItem("C:\\Data\\*.*");
    Save_Settings();
    f->cmbProfiles->setText("Beta");
    f->chkEncrypt->setValue(0);
    Save_Settings();
    EXPECT_EQ(storedProfile("Alpha", "chkEncrypt"), "1");
    EXPECT_EQ(storedProfile("Beta", "chkEncrypt"), "0");
    EXPECT_EQ(storedUser("ProfileText"), "Beta");
    EXPECT_TRUE(QFile::exists(pflHost("Alpha")));
    EXPECT_TRUE(QFile::exists(pflHost("Beta")));
}

TEST_F(SettingsTest, AStoredTextThatIsNoNumberLeavesTheBoxAndTheLoadGoesOn) {
    const QString profile = QStringLiteral("Broken");
    storeProfile(profile, "chkWriteLog", "x");
    storeProfile(profile, "SldRatio", "12");       // outside the slider
    storeProfile(profile, "DTPicker1", "no date");
    storeProfile(profile, "chkSyncSubDirs", "1");  // read late in the load
    f->chkWriteLog->setValue(1);
    f->DTPicker1->setValue(QDate(2001, 2, 3));
    f->cmbProfiles->setText(profile);
    Load_Settings();
    EXPECT_EQ(f->chkWriteLog->Value(), 1);
    EXPECT_EQ(f->Slider1->Value(), 6);
    EXPECT_EQ(f->DTPicker1->Value(), QDate(2001, 2, 3));
    EXPECT_EQ(f->chkSyncSubDirs->Value(), 1);
    // Each error line is followed by the trace of the last listed name and
    // the profile box's item count (the fallback profile).
    QStringList errors;
    const QStringList lines = logLines();
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].contains("  Load_Settings of Modul Vaultora_Sub  ") || lines[i].contains("Sub  5  "))
            continue;  // step 5 is the load animation's clip
        errors << lines[i].section("Vaultora_Sub  ", 1);
        EXPECT_EQ(lines[i + 1], " 1 ");
    }
    EXPECT_EQ(errors, QStringList({"103  13  Type mismatch", "103  380  Invalid property value",
                                   "105  13  Type mismatch"}));
}

TEST_F(SettingsTest, LoadFillsTheListsAndAppliesTheMode) {
    testenv::writeFile(pflHost("Standard"), "");
    testenv::writeFile(pflHost("work"), "");
    f->cmbProfiles->AddItem("standard");
    f->cmbProfiles->setText("work");
    storeProfile("work", "optBuMode2", "-1");
    storeProfile("work", "optBuMode0", "0");
    const QString temp = testenv::tempDir("tmp");
    storeProfile("work", "txtPathTemp", win(temp));
    testenv::writeFile(temp + "/Standard_BackUp_2004.zip", "z");
    testenv::writeFile(temp + "/keep.zip", "z");

    Load_Settings();
    Load_Settings();  // a second load adds nothing twice
    QStringList items;
    for (int i = 0; i < f->cmbProfiles->ListCount(); ++i)
        items << f->cmbProfiles->List(i);
    items.sort();
    EXPECT_EQ(items, QStringList({"Standard", "standard", "work"}));
    EXPECT_EQ(f->cmbProfiles->Text(), "work");
    EXPECT_TRUE(f->optBuMode(2)->Value());
    EXPECT_FALSE(ui::Visible(f->Frame7));
    // Loading a profile deletes nothing in its temporary folder.
    EXPECT_TRUE(QFile::exists(temp + "/Standard_BackUp_2004.zip"));
    EXPECT_TRUE(QFile::exists(temp + "/keep.zip"));

    ASSERT_EQ(f->cmbLanguage->ListCount(), 1);
    EXPECT_EQ(f->cmbLanguage->List(0), "english");
    EXPECT_EQ(f->cmbLanguage->ListIndex(), 0);
    CurrentLanguage = "English";
    Load_Settings();
    EXPECT_EQ(f->cmbLanguage->ListIndex(), -1);
}

TEST_F(SettingsTest, WithoutASoundDeviceTheSoundOptionIsOffAndNothingIsSpoken) {
    platform::SaveSetting(UserSettingsApp(), "Settings", "chkSound", "1");
    f->cmbProfiles->setText("Standard");
    f->chkSound->setValue(1);
    Load_Settings();
    EXPECT_EQ(f->chkSound->Value(), 0);
    EXPECT_TRUE(spoken.isEmpty());
    // The stored value waits for the next save.
    EXPECT_EQ(storedUser("chkSound"), "1");
}

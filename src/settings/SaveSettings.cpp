// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SaveSettings.h"

#include "common/Globals.h"
#include "platform/SettingsStore.h"
#include "settings/KeyControls.h"
#include "settings/ProfileFiles.h"
#include "settings/SettingsKeys.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"

QString CommonUserName;

void Save_Settings() {
    using namespace settings;
    frmMain_BackUp& f = *fMainForm;
    vb::Handler h(QStringLiteral("Save_Settings of Modul Vaultora_Sub"));
    const QString data = QString::fromLatin1(kData);

    // 1. Placement, unless the window is minimised.
    bool minimised = false;
    h.Next(10, [&] { minimised = f.WindowState() == 1; });
    if (!minimised) {
        float (frmMain_BackUp::*const readers[])() const = {&frmMain_BackUp::Left, &frmMain_BackUp::Top,
                                                             &frmMain_BackUp::Width, &frmMain_BackUp::Height};
        int i = 0;
        for (const PlacementKey& key : PlacementKeys()) {
            const auto reader = readers[i++];
            h.Next(10 + i, [&] {
                platform::SaveSetting(UserSettingsApp(), data, QString::fromLatin1(key.name),
                                      vb::CStr(static_cast<double>((f.*reader)())));
            });
        }
    }
    // The destination as it is stored: without a trailing "\".
    h.Next(19, [&] { f.txtPathBackUp_LostFocus(); });
    // 2. The source list.
    h.Next(20, [&] { saveProfile(f.cmbProfiles->Text()); });
    // 3. The common user info.
    h.Next(30, [&] {
        platform::SaveSetting(QStringLiteral("NRV\\Common"), UserName, QStringLiteral("txtUserName"), CommonUserName);
    });
    h.Next(31, [&] {
        platform::SaveSetting(QStringLiteral("NRV\\Common"), UserName, QStringLiteral("txtUserEmail"), UserEmail);
    });
    // 4. User-level keys.
    for (const Key& key : UserKeys())
        h.Next(40, [&] { WriteSetting(key, StoredText(f, key)); });
    // 5. Profile keys; the password only while it is to be remembered.
    for (const Key& key : ProfileKeys()) {
        h.Next(50, [&] {
            if (qstrcmp(key.name, "txtEncryptPassword") == 0) {
                const bool remember = f.chkRemeberPassword->Value() == 1;
                WriteSetting(key, remember ? f.txtEncryptPassword->Text() : QString());
            } else {
                WriteSetting(key, StoredText(f, key));
            }
        });
    }
}

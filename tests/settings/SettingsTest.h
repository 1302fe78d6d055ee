// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "settings/FilterMasks.h"
#include "settings/SettingsKeys.h"
#include "settings/Speech.h"
#include "support/TestEnv.h"
#include "ui/frmMain_BackUp.h"
#include "ui/controls/VbControl.h"
#include "vb/ErrorHandling.h"

// Every settings test starts with an empty settings store, no profile files,
// no error.log, the English texts and a fresh main window.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        InstallErrorLog();
        SetErrorIndicatorHook({});
        ProgramName = QStringLiteral("Vaultora");
        UserName = QStringLiteral("GUEST");
        CurrentLanguage = QStringLiteral("english");
        if (LangText(3).isEmpty()) {
            ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
        }
        bSoundAvailable = false;
        spoken.clear();
        SetSpeakFunction([this](const QString& text, int flags) { spoken << QStringLiteral("%1|%2").arg(flags).arg(text); });
        vb::Quiet([] { platform::DeleteSetting(QStringLiteral("NRV\\Vaultora\\GUEST")); });
        vb::Quiet([] { platform::DeleteSetting(QStringLiteral("NRV\\Common")); });
        QDir program(testenv::programDir());
        for (const QString& name : program.entryList({QStringLiteral("*.pfl")}, QDir::Files | QDir::Hidden))
            program.remove(name);
        QFile::remove(logHost());
        BackupExclusions = {};
        BackupDirExclusions = {};
        BackupInclusions = {};
        platform::Dialogs::scriptAnswers({});
        form = std::make_unique<frmMain_BackUp>();
        f = form.get();
    }
    void TearDown() override {
        form.reset();
        platform::Dialogs::reset();
        SetSpeakFunction({});
        bSoundAvailable = false;
    }

    static QString logHost() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    static QStringList logLines() {
        QString text = QString::fromUtf8(testenv::readFile(logHost()));
        if (text.endsWith(QStringLiteral("\r\n")))
            text.chop(2);
        return text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
    }
    // Error lines of the log whose label is `label`.
    static int errorsLabelled(const QString& label) {
        int n = 0;
        for (const QString& line : logLines())
            if (line.contains(QStringLiteral("  ") + label + QStringLiteral("  ")))
                ++n;
        return n;
    }
    static QString win(const QString& hostPath) { return platform::ToWindows(hostPath); }
    static QString pflHost(const QString& profile) { return testenv::programDir() + "/" + profile + ".pfl"; }

    static QString storedProfile(const QString& profile, const QString& key) {
        return platform::GetSetting(settings::ProfileSettingsApp(profile), QStringLiteral("Settings"), key,
                                    QStringLiteral("<none>"));
    }
    static QString storedUser(const QString& key, const QString& section = QStringLiteral("Settings")) {
        return platform::GetSetting(settings::UserSettingsApp(), section, key, QStringLiteral("<none>"));
    }
    static void storeProfile(const QString& profile, const QString& key, const QString& value) {
        platform::SaveSetting(settings::ProfileSettingsApp(profile), QStringLiteral("Settings"), key, value);
    }

    QStringList listEntries() const {
        QStringList out;
        for (int i = 0; i < f->List1->ListCount(); ++i)
            out << (f->List1->Selected(i) ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + f->List1->List(i);
        return out;
    }

    std::unique_ptr<frmMain_BackUp> form;
    frmMain_BackUp* f = nullptr;
    QStringList spoken;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/LoadSettings.h"

#include <QApplication>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "platform/SettingsStore.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/FilterMasks.h"
#include "settings/KeyControls.h"
#include "settings/ProfileFiles.h"
#include "settings/SettingsKeys.h"
#include "settings/Speech.h"
#include "settings/Statistics.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {
using namespace settings;

bool HaveGuiApp() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

// One guarded step of the load: on an error the log gets the error line and
// a trace of the last listed file name and the profile box's item count.
class LoadSteps {
public:
    explicit LoadSteps(frmMain_BackUp& form) : form_(form), h_(QStringLiteral("Load_Settings of Modul Vaultora_Sub")) {}

    template <class F>
    bool operator()(int erl, F&& step) {
        if (h_.Next(erl, std::forward<F>(step)))
            return true;
        vb::Quiet([&] {
            WriteLog(lastListed, static_cast<qint32>(form_.cmbProfiles->ListCount()), "", "", "", "", "", "", "", "");
        });
        return false;
    }

    // Reads one key and gives it to its control.
    void Read(int erl, const QString& name) {
        const Key* key = FindKey(name);
        (*this)(erl, [&] {
            if (!key)
                vb::Raise(vb::errInvalidCall);
            ApplyStoredText(form_, *key, ReadSetting(*key));
        });
    }

    QString lastListed;  // the name the folder listings gave last

private:
    frmMain_BackUp& form_;
    vb::Handler h_;
};
}  // namespace

void Load_Settings() {
    frmMain_BackUp& f = *fMainForm;
    // Each section of the store is read once, whole.
    const platform::SettingsReadScope readWhole;
    LoadSteps step(f);
    bool hourglass = false;
    struct Loading {
        bool& flag;
        bool was;
        explicit Loading(bool& f) : flag(f), was(f) { flag = true; }
        ~Loading() { flag = was; }
    } loading(f.LoadingSettings);

    step(1, [&] { f.RtbNews1->setText(LangText(2)); });
    step(2, [&] { f.TimerRT->setEnabled(false); });
    step(3, [&] {
        if (HaveGuiApp()) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            hourglass = true;
        }
    });
    step(4, [&] { f.Frame7->setVisible(false); });
    step(5, [&] {
        f.Animation1->Open(platform::ProgramFolder() + QStringLiteral("\\..\\Common\\avi\\findcomp.AVI"));
        f.Animation1->setVisible(true);
        f.Animation1->Play();
    });
    step(6, [&] {
        f.SSTab1->setTab(1);
        f.SSTab1->setEnabled(false);
        f.tbTools->setEnabled(false);
        f.Refresh();
    });

    // 7. Sound: the stored option only where there is a sound device.
    step(7, [&] {
        if (bSoundAvailable) {
            step.Read(7, QStringLiteral("chkSound"));
            if (f.chkSound->Value() == 1)
                Speak(LangText(2));
        } else {
            f.chkSound->setValue(0);
        }
    });

    // 8. The languages beside the program.
    step(8, [&] {
        f.cmbLanguage->Clear();
        QString name = platform::Dir(platform::ProgramFolder() + QStringLiteral("\\..\\common\\language\\*.lng"));
        step.lastListed = name;
        while (!name.isEmpty()) {
            step(81, [&] {
                f.cmbLanguage->AddItem(vb::Left(name, name.length() - 4));
                if (f.cmbLanguage->List(f.cmbLanguage->ListCount() - 1) == CurrentLanguage)
                    f.cmbLanguage->setListIndex(f.cmbLanguage->ListCount() - 1);
            });
            vb::DoEvents();
            if (!step(82, [&] { name = platform::Dir(); }))
                name.clear();
            step.lastListed = name;
        }
    });

    // 9. The profiles: every "*.pfl" of the program folder, up to the first
    // name too short to hold a profile name.
    step(9, [&] {
        QString name = platform::Dir(platform::ProgramFolder() + QStringLiteral("\\*.pfl"));
        step.lastListed = name;
        while (!name.isEmpty() && name.length() >= 5) {
            step(91, [&] { add_profile(vb::Left(name, name.length() - 4), f.cmbProfiles->ListCount()); });
            if (!step(92, [&] { name = platform::Dir(); }))
                name.clear();
            step.lastListed = name;
            vb::DoEvents();
        }
    });
    // The fallback profile is always offered, also before it has a file of
    // its own.
    step(9, [&] { add_profile(QStringLiteral("Standard"), f.cmbProfiles->ListCount()); });

    // 10. The profile's keys.
    step.Read(101, QStringLiteral("txtExclusions"));
    step(101, [] { load_backup_exclusions(); });
    step.Read(101, QStringLiteral("txtDirExclusions"));
    step(101, [] { load_backup_DirExclusions(); });
    step.Read(101, QStringLiteral("txtInclusions"));
    step(101, [] { load_backup_inclusions(); });

    step.Read(102, QStringLiteral("chkRemeberPassword"));
    bool remember = true;  // a failing test goes on into its true branch
    step(102, [&] { remember = f.chkRemeberPassword->Value() == 1; });
    if (remember)
        step.Read(102, QStringLiteral("txtEncryptPassword"));

    for (const QString& name : kLoadProfileBeforeMode)
        step.Read(103, name);

    for (int i = 0; i <= 2; ++i) {
        bool selected = true;
        step(104, [&] { selected = f.optBuMode(i)->Value(); });
        if (selected)
            step(104, [&] { f.optBuMode_Click(i); });
    }

    for (const QString& name : kLoadProfileAfterMode)
        step.Read(105, name);

    // 11. The source list, now that chkAddNewSub and chkSound are the profile's.
    step(11, [&] { loadProfile(f.cmbProfiles->Text()); });
    step(12, [&] { f.SSTab1->setTab(0); });

    // 13. User-level keys.
    for (const QString& name : kLoadUserKeys)
        step.Read(13, name);

    step(14, [] { vb::DoEvents(); });
    step(15, [] { Load_Statistics(); });
    step(16, [&] { f.chkUseCDRecorder_Click(); });
    // (The temporary folder is not cleared here: it may hold what the user
    // keeps. A run deletes only the working files it made itself.)
    step(17, [&] { f.WarnOfTempFolderClash(); });
    step(18, [&] {
        if (hourglass)
            QApplication::restoreOverrideCursor();
        hourglass = false;
    });
    step(19, [&] { f.Animation1->Stop(); });
    step(19, [&] { f.Animation1->Close(); });
    step(19, [&] { f.Animation1->setVisible(false); });
    step(20, [&] {
        if (!f.optBuMode(2)->Value())
            f.Frame7->setVisible(true);
    });
    step(21, [&] {
        f.SSTab1->setEnabled(true);
        f.tbTools->setEnabled(true);
    });
    step(22, [&] { f.RtbNews1->setText(LangText(3)); });
    // The status line said "Loading" for each entry of the source list; the
    // load is over now.
    step(22, [&] { f.txtNews->setText(LangText(3)); });
    // The name box names the profile now in the window, however it was
    // chosen (the profile box, a start with "/profile:", the wizard, Delete).
    step(23, [&] { f.txtProfile->setText(f.cmbProfiles->Text()); });
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The source selection list List1 of the main window: adding files and
// folders (with their trees), finding an entry, and the folder exclusion
// test the adders ask.
#include <QApplication>
#include <QCursor>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "platform/Dialogs.h"
#include "platform/ScriptingFileSystem.h"
#include "settings/FilterMasks.h"
#include "ui/frmMain_BackUp.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {
bool HoldsBackupMark(const QString& text) { return vb::InStr(vb::UCase(text), QStringLiteral("BACKUP_")) > 0; }

void ShowDuplicate(const QString& entry) {
    platform::MsgBox(LangText(203) + vb::vbCrLf + vb::vbCrLf + entry, platform::vbExclamation);
}

// The hourglass while the list is built; put back however the add ends.
class WaitCursor {
public:
    WaitCursor() {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            on_ = true;
        }
    }
    ~WaitCursor() {
        if (on_)
            QApplication::restoreOverrideCursor();
    }

private:
    bool on_ = false;
};
}  // namespace

void frmMain_BackUp::AddItem(bool& OnlyFile, bool& WithSubs, QString& AddPath, bool& PopMessage) {
    vb::Handler h(QStringLiteral("AddItem of Formular frmMain_BackUp"));
    h.Next(1, [&] {
        if (chkSelectionWarning->Value() == 0)
            PopMessage = false;
    });
    h.Next(2, [&] {
        if (AddPath.isEmpty())
            AddPath = File1->Path();
    });
    WaitCursor hourglass;
    h.Next(4, [&] { AddPath = sFixDirString(AddPath); });

    auto addFile = [&](const QString& name) {
        const QString candidate = AddPath + name;
        qint32 found = -1;
        h.Next(54, [&] { found = VerificaDup(candidate); });
        if (found != -1) {
            if (PopMessage)
                h.Next(55, [&] { ShowDuplicate(AddPath + name); });
            return;
        }
        bool excluded = false;
        h.Next(56, [&] { excluded = File_DirExcluded(AddPath); });
        if (HoldsBackupMark(AddPath) || excluded)
            return;
        h.Next(57, [&] {
            List1->AddItem(candidate);
            List1->setSelected(VerificaDup(candidate), true);
        });
    };

    if (OnlyFile) {
        int selected = 0;
        h.Next(51, [&] {
            for (int i = 0; i < File1->ListCount() && selected < 2; ++i) {
                if (File1->Selected(i))
                    ++selected;
                vb::DoEvents();
            }
        });
        if (selected == 1) {
            QString name;
            h.Next(52, [&] { name = File1->FileName(); });
            addFile(name);
        } else if (selected >= 2) {
            int count = 0;
            h.Next(53, [&] { count = File1->ListCount(); });
            for (int i = 0; i < count; ++i) {
                bool isSelected = false;
                QString name;
                h.Next(53, [&] {
                    isSelected = File1->Selected(i);
                    name = File1->List(i);
                });
                if (isSelected)
                    addFile(name);
                vb::DoEvents();
            }
        }
    } else {
        // A folder that cannot be had, or a failed walk, ends the add
        // without a word.
        vb::Quiet([&] {
            const platform::FsoFolder folder = platform::ScriptingFileSystem().GetFolder(AddPath);
            AddSub(folder, WithSubs, PopMessage);
        });
    }
}

void frmMain_BackUp::AddSub(platform::FsoFolder wshRoot, bool& WithSubs, bool& PopMessage) {
    vb::Handler h(QStringLiteral(" AddSub of Formular frmMain_BackUp "));
    const bool ok = h.Try([&] {
        h.Erl = 1;
        QString path = wshRoot.Path();
        const QString lastName = sParseLastDir(path);
        path = wshRoot.Path();
        h.Erl = 2;
        if (lastName == QLatin1String("?") || lastName == QLatin1String("pagefile.sys") ||
            lastName == QLatin1String("Recycled") || File_DirExcluded(lastName))
            return;
        h.Erl = 3;
        QString entry = path.length() == 3 ? path + QStringLiteral("*.*") : path + QStringLiteral("\\*.*");
        Add_to_List1(entry, PopMessage);
        if (!WithSubs)
            return;
        h.Erl = 4;
        for (const platform::FsoFolder& sub : wshRoot.SubFolders()) {
            if (!sub.SubFolders().empty()) {
                AddSub(sub, WithSubs, PopMessage);
            } else {
                QString subEntry = sub.Path() + QStringLiteral("\\*.*");
                Add_to_List1(subEntry, PopMessage);
            }
        }
    });
    if (!ok) {
        vb::Quiet([&] {
            qint64 subCount = 0;
            vb::Quiet([&] { subCount = static_cast<qint64>(wshRoot.SubFolders().size()); });
            WriteLog(wshRoot.Path(), subCount, WithSubs, PopMessage, "", "", "", "", "", "");
        });
    }
    vb::Quiet([&] { List1->update(); });
    vb::DoEvents();
}

void frmMain_BackUp::Add_to_List1(QString& ItemToAdd, bool& PopMessage) {
    vb::Handler h(QStringLiteral(" Add_to_List1 of Formular frmMain_BackUp "));
    qint32 found = 0;
    h.Next(1, [&] { found = VerificaDup(ItemToAdd); });
    if (found == -1) {
        bool excluded = false;
        h.Next(2, [&] { excluded = File_DirExcluded(ItemToAdd); });
        if (HoldsBackupMark(ItemToAdd) || excluded)
            return;
        h.Next(3, [&] {
            List1->AddItem(ItemToAdd);
            List1->setSelected(List1->ListCount() - 1, true);
        });
        vb::DoEvents();
    } else if (PopMessage) {
        h.Next(4, [&] { ShowDuplicate(ItemToAdd); });
    }
}

qint32 frmMain_BackUp::VerificaDup(const QString& Item) {
    vb::Handler h(QStringLiteral("VerificaDup of Formular frmMain_BackUp"));
    qint32 found = -1;
    // A name is its exact bytes ("Photos" and "photos" are two folders);
    // only the drive letter is the same drive in either case.
    h.Next(1, [&] {
        found = List1->Find(Item);
        const bool drive = Item.size() >= 2 && Item[1] == QLatin1Char(':') && Item[0].unicode() < 128 && Item[0].isLetter();
        if (drive) {
            QString other = Item;
            other[0] = Item[0].isUpper() ? Item[0].toLower() : Item[0].toUpper();
            const qint32 more = List1->Find(other);
            if (more >= 0 && (found < 0 || more < found))
                found = more;
        }
    });
    vb::DoEventsThrottled();
    return found;
}

bool frmMain_BackUp::File_DirExcluded(const QString& Path) {
    vb::Handler h(QStringLiteral("File_DirExcluded of Formular frmMain_BackUp"));
    return h.Guard(true, [&] {
        QString path = Path;
        return NameMatchesMaskList(sParseLastDir(path), BackupDirExclusions);
    });
}

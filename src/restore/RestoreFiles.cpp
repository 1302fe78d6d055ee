// SPDX-License-Identifier: GPL-3.0-or-later
// The restore of the restore window: the chosen rows of the result grid,
// extracted from their archives onto the chosen drive.
#include <QPointer>
#include <QSet>

#include <sys/stat.h>

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "crypto/clsBlowfish.h"
#include "platform/Dialogs.h"
#include "platform/HostNames.h"
#include "platform/KnownLinks.h"
#include "platform/Paths.h"
#include "restore/RestoreCopies.h"
#include "restore/frmRestore.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

using namespace platform;

namespace {

// Whether a row's file is already at the target: the stored name exactly,
// below the chosen drive (a "report.txt" there is not "Report.TXT").
bool TargetExists(const QString& drive, const QString& storedPath) {
    const QString host = ToHostBelow(drive + QStringLiteral("\\"), storedPath);
    struct stat st {};
    return !host.isEmpty() && ::lstat(HostBytes(host).constData(), &st) == 0;
}

}  // namespace

// The entry a result row names: the one at the row's index while it still
// has the row's stored name, size and date, else the one of that name, size
// and date elsewhere in the archive (which changed since the search).
// Raises 53 when the archive holds no such entry any more.
ZipArchiveEntry frmRestore::RowEntry(const ZipArchiveFiles& files, int row) const {
    const QString name = FG3->TextMatrix(row, 6), size = FG3->TextMatrix(row, 3), date = FG3->TextMatrix(row, 2);
    const auto matches = [&](const ZipArchiveEntry& e) {
        return e.Name() == name && QString::number(e.UncompressedSize()) == size &&
               vb::CStr(e.ModificationFields()) == date;
    };
    bool isNumber = false;
    const qint32 index = FG3->TextMatrix(row, 5).toInt(&isNumber);
    const qint32 count = files.Count();
    if (isNumber && index >= 0 && index < count) {
        const ZipArchiveEntry at = files.Item(index);
        if (matches(at))
            return at;
    }
    for (qint32 i = 0; i < count; ++i) {
        const ZipArchiveEntry e = files.Item(i);
        if (matches(e))
            return e;
    }
    vb::Raise(vb::errFileNotFound, QStringLiteral("The archive %1 no longer holds %2 as the search found it")
                                        .arg(FG3->TextMatrix(row, 4), name));
}

void frmRestore::cmdRestore_Click() {
    if (busy_)
        return;
    vb::Handler h(QStringLiteral("cmdRestore_Click"));
    // Nothing to restore before a search has filled the grid.
    if (FG3->TextMatrix(0, 6).isEmpty())
        return;
    QPointer<frmRestore> self(this);

    // Exactly the highlighted rows, from Row towards RowSel.
    const QList<int> rows = FG3->SelectedRows();

    // The question is asked only when a chosen file is there already.
    bool anyExists = false;
    const QString drive = Drive1->Drive().left(2);
    for (int r : rows) {
        vb::Quiet([&] { anyExists = TargetExists(drive, FG3->TextMatrix(r, 6)); });
        if (anyExists)
            break;
    }
    bool bOverwrite = true;
    if (anyExists) {
        bOverwrite = MsgBox(QStringLiteral("Overwrite existing files ?"), vbYesNo, QStringLiteral("Restore")) == vbYes;
        if (!self)
            return;
    }
    bool bProblem = false;
    int restored = 0, kept = 0;
    busy_ = true;
    h.Next(10, [&] {
        setCursor(Qt::WaitCursor);
        startClip(QStringLiteral("35driveani.avi"));
    });
    h.Next(11, [&] { setToolbarState(false, false, false); });
    h.Next(12, [&] {
        ProgressBar3->setMax(std::max<int>(1, rows.size()));
        ProgressBar3->setValue(0);
    });
    h.Next(13, [&] { oZip = std::make_unique<ZipArchiveComponent>(); });

    // The decrypted copies this restore made; they are the only ones it uses
    // unchanged and the ones it deletes at the end. An archive that could not
    // be decrypted is tried once and named once.
    QSet<QString> copies;
    QStringList notDecrypted;
    QString tempFolder;
    h.Next(14, [&] { tempFolder = TempFolder(); });
    // The links on the way to every chosen file are taken as they are now:
    // the user's own are followed, none that comes later is.
    KnownLinks links;
    h.Next(15, [&] {
        const QString root = ToHost(drive + QStringLiteral("\\"));
        for (int r : rows) {
            const QString target = ToHostBelow(drive + QStringLiteral("\\"), FG3->TextMatrix(r, 6));
            if (!root.isEmpty() && !target.isEmpty())
                links.note(root, target.left(target.lastIndexOf(QLatin1Char('/'))));
        }
    });
    for (int r : rows) {
        if (!oZip)
            break;
        h.Next(20, [&] { ProgressBar3->setValue(ProgressBar3->Value() + 1); });
        const bool rowDone = h.Try([&] {
            h.Erl = 21;
            const QString archive = FG3->TextMatrix(r, 4);
            const QString folder = txtPathSearch->Text();
            if (!bOverwrite && TargetExists(drive, FG3->TextMatrix(r, 6))) {
                ++kept;
                return;
            }
            h.Erl = 22;
            if (restore_copies::IsEncrypted(archive)) {
                if (notDecrypted.contains(archive)) {
                    bProblem = true;
                    return;
                }
                const QString copy = restore_copies::RestoreCopy(tempFolder, archive);
                if (!copies.contains(copy)) {
                    restore_copies::PrepareTempFolder(tempFolder);
                    startClip(QStringLiteral("extract1.avi"));
                    Cypher = std::make_unique<clsBlowfish>();
                    const bool ok = restore_copies::DecryptToCopy(*Cypher, folder + QStringLiteral("\\") + archive,
                                                                  copy, txtEncryptPassword->Text());
                    Cypher.reset();
                    if (!ok) {
                        notDecrypted << archive;
                        bProblem = true;
                        return;
                    }
                    copies.insert(copy);
                }
                h.Erl = 23;
                oZip->OpenToRead(copy);
                startClip(QStringLiteral("35driveani.AVI"));
            } else {
                h.Erl = 24;
                oZip->OpenToRead(folder + QStringLiteral("\\") + archive);
            }
            h.Erl = 25;
            RowEntry(oZip->Files(), r).Extract(drive + QStringLiteral("\\"), &links);
            ++restored;
            h.Erl = 26;
            oZip->Close();
        });
        if (!self)
            return;
        if (!rowDone) {
            bProblem = true;
            vb::Quiet([&] { oZip->Close(); });
            QString name;
            vb::Quiet([&] { name = FG3->TextMatrix(r, 1); });
            MsgBox(QStringLiteral("There was a problem restoring ") + name, vbInformation, QStringLiteral("Info"));
            if (!self)
                return;
        }
    }

    // The decrypted copies go on every way out; another archive of that
    // name form in the temp folder (a run's working archive) stays.
    h.Next(30, [&] { oZip.reset(); });
    if (!tempFolder.trimmed().isEmpty())
        copies.insert(restore_copies::SearchCopy(tempFolder));
    for (const QString& copy : std::as_const(copies))
        if (!h.Next(31, [&] { restore_copies::RemoveCopy(copy); }))
            bProblem = true;
    h.Next(32, [&] {
        unsetCursor();
        stopClip();
    });
    busy_ = false;
    if (!notDecrypted.isEmpty()) {
        MsgBox(QStringLiteral("Decryption error - please check the password") + vb::vbCrLf +
                   QStringLiteral("Nothing was restored from: ") + notDecrypted.join(QStringLiteral(", ")),
               vbCritical, QStringLiteral("Error"));
        if (!self)
            return;
    }
    // A restore that wrote nothing never says it restored.
    QString message;
    if (bProblem)
        message = restored == 0 ? QStringLiteral("No file was restored.") + vb::vbCrLf + LangText(185) : LangText(185);
    else if (kept > 0)
        message = LangText(187);
    else if (restored > 0)
        message = LangText(186);
    else
        message = QStringLiteral("No file was restored.");
    MsgBox(message, vbInformation, QStringLiteral("Info"));
    if (!self)
        return;
    h.Next(40, [&] {
        setToolbarState(true, false, true);
        ProgressBar3->setValue(0);
    });
    if (closeAfterBusy_)
        close();
}

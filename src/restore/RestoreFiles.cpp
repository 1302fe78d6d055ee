// SPDX-License-Identifier: GPL-3.0-or-later
// The restore of the restore window: the chosen rows of the result grid,
// extracted from their archives onto the chosen drive.
#include <QPointer>
#include <QSet>

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "crypto/clsBlowfish.h"
#include "platform/Dialogs.h"
#include "restore/RestoreCopies.h"
#include "restore/frmRestore.h"
#include "vb/ErrorHandling.h"

using namespace platform;

void frmRestore::cmdRestore_Click() {
    if (busy_)
        return;
    vb::Handler h(QStringLiteral("cmdRestore_Click"));
    // Nothing to restore before a search has filled the grid.
    if (FG3->TextMatrix(0, 6).isEmpty())
        return;
    QPointer<frmRestore> self(this);

    const bool bOverwrite =
        MsgBox(QStringLiteral("Overwrite existing files ?"), vbYesNo, QStringLiteral("Restore")) == vbYes;
    if (!self)
        return;
    bool bProblem = false;
    busy_ = true;
    h.Next(10, [&] {
        setCursor(Qt::WaitCursor);
        startClip(QStringLiteral("35driveani.avi"));
    });
    h.Next(11, [&] { setToolbarState(false, false, false); });

    const int first = FG3->Row(), last = FG3->RowSel();
    const int step = last >= first ? 1 : -1;
    h.Next(12, [&] {
        ProgressBar3->setMax(std::abs(last - first) + 1);
        ProgressBar3->setValue(0);
    });
    h.Next(13, [&] { oZip = std::make_unique<ZipArchiveComponent>(); });

    // The decrypted copies this restore made; they are the only ones it uses
    // unchanged and the ones it deletes at the end.
    QSet<QString> copies;
    QString tempFolder;
    h.Next(14, [&] { tempFolder = TempFolder(); });
    // Row 0 is the header: a grid without a chosen row restores nothing.
    for (int r = first; first >= 1 && oZip; r += step) {
        h.Next(20, [&] { ProgressBar3->setValue(ProgressBar3->Value() + 1); });
        const bool rowDone = h.Try([&] {
            h.Erl = 21;
            const QString drive = Drive1->Drive().left(2);
            const QString archive = FG3->TextMatrix(r, 4);
            const QString folder = txtPathSearch->Text();
            // The target is looked up through the path layer, as every
            // Windows path is: a file stored as "Docs\Report.txt" and listed
            // in lower case still finds "docs/report.txt" or "Docs/Report.txt".
            if (!bOverwrite && FileExists(drive + QStringLiteral("\\") + FG3->TextMatrix(r, 6)))
                return;
            h.Erl = 22;
            if (archive.right(3) == QLatin1String("cry")) {
                const QString copy = restore_copies::RestoreCopy(tempFolder, archive);
                if (!copies.contains(copy)) {
                    startClip(QStringLiteral("extract1.avi"));
                    Cypher = std::make_unique<clsBlowfish>();
                    const bool ok = restore_copies::DecryptToCopy(*Cypher, folder + QStringLiteral("\\") + archive,
                                                                  copy, txtEncryptPassword->Text());
                    Cypher.reset();
                    if (!ok) {
                        MsgBox(QStringLiteral("Decryption error - please check the password"), vbCritical,
                               QStringLiteral("Error"));
                        return;
                    }
                    copies.insert(copy);
                }
                h.Erl = 23;
                oZip->Open(copy);
                startClip(QStringLiteral("35driveani.AVI"));
            } else {
                h.Erl = 24;
                oZip->Open(folder + QStringLiteral("\\") + archive);
            }
            h.Erl = 25;
            oZip->Files().Item(FG3->TextMatrix(r, 5)).Extract(drive + QStringLiteral("\\"));
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
        if (r == last)
            break;
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
    const QString message = bProblem ? LangText(185) : !bOverwrite ? LangText(187) : LangText(186);
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

// SPDX-License-Identifier: GPL-3.0-or-later
// The search of the restore window: the names stored in the chosen archives,
// tested against the pattern, one grid row per hit.
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>

#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "crypto/clsBlowfish.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "restore/RestoreCopies.h"
#include "restore/frmRestore.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Like.h"
#include "vb/Strings.h"

using namespace platform;

namespace {

// True when the folder holds a file matching "*.zip" or "*.cry" (letter case
// ignored, as Windows matches); a folder that cannot be read holds none.
bool HoldsArchives(const QString& windowsFolder) {
    const QString host = ToHost(windowsFolder);
    if (host.isEmpty())
        return false;
    QDir dir(host);
    dir.setNameFilters({QStringLiteral("*.zip"), QStringLiteral("*.cry")});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    return !dir.entryList().isEmpty();
}

constexpr qint64 kFrameMs = 25;

}  // namespace

void frmRestore::cmdSearch_Click() {
    if (busy_)
        return;
    vb::Handler h(QStringLiteral("cmdSearch_Click of Formular frmMain_BackUp"));
    // The window may be closed while events run: a close during the search
    // is held back until the clean-up, and the loop reads no control of a
    // window that is gone.
    QPointer<frmRestore> self(this);

    searchedFiles_ = searchedArchives_ = foundFiles_ = foundArchives_ = 0;
    showCounters();
    bCancelSearch = false;

    if (txtPathSearch->Text().isEmpty()) {
        MsgBox(QStringLiteral("No ZIP archive directory defined !\r\nPlease retry"), vbInformation | vbOKOnly,
               QStringLiteral("Error"));
        return;
    }
    if (txtFileSearch->Text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("No search name defined !\r\nPlease retry"), vbInformation, QStringLiteral("Error"));
        return;
    }
    if (!HoldsArchives(txtPathSearch->Text())) {
        MsgBox(QStringLiteral("There are no ZIP archives in the seleted directory !\r\nPlease try again."), vbCritical,
               QStringLiteral("Error"));
        return;
    }

    busy_ = true;
    h.Next(10, [&] {
        setCursor(Qt::WaitCursor);
        Image1->hide();
        startClip(QStringLiteral("Findfile.AVI"));
    });
    h.Next(11, [&] { setToolbarState(false, true, false); });
    h.Next(12, [&] {
        FG3->setRows(1);
        for (int c = 0; c < 7; ++c)
            FG3->setTextMatrix(0, c, ColumnHeader(c));
        fitColumns();
        FG3->update();
    });
    h.Next(13, [&] { oZip = std::make_unique<ZipArchiveComponent>(); });
    h.Next(14, [&] {
        ProgressBar3->setMax(List3->ListCount());
        ProgressBar3->setValue(0);
    });

    QString searchCopy;
    bool tempReady = false;
    QString badPattern;   // a pattern that Like cannot read is logged once
    // The archives not searched, each with its reason, told once at the end.
    QStringList notSearched;
    bool stop = false;
    QElapsedTimer frame;
    frame.start();
    for (int i = 1; !stop && i < List3->ListCount(); ++i) {
        if (!(List3->Selected(0) || List3->Selected(i)))
            continue;
        const QString archive = List3->List(i);
        const QString folder = txtPathSearch->Text();
        const QString path = folder + QStringLiteral("\\") + archive;
        bool opened = false;
        if (restore_copies::IsEncrypted(archive)) {
            // The temp folder is made as a run makes it.
            if (!tempReady)
                tempReady = h.Next(15, [&] { searchCopy = restore_copies::SearchCopy(restore_copies::PrepareTempFolder(TempFolder())); });
            if (!tempReady) {
                notSearched << restore_copies::Reason(archive, h.Err, path);
                continue;
            }
            h.Next(20, [&] { startClip(QStringLiteral("extract1.avi")); });
            bool decrypted = false;
            const bool ran = h.Next(21, [&] {
                Cypher = std::make_unique<clsBlowfish>();
                decrypted = restore_copies::DecryptToCopy(*Cypher, path, searchCopy, txtEncryptPassword->Text());
            });
            Cypher.reset();
            if (!self)
                return;
            if (!ran) {   // no copy could be made (logged): not the password's fault
                notSearched << restore_copies::Reason(archive, h.Err, path);
                continue;
            }
            if (!decrypted) {
                notSearched << archive + QStringLiteral(": ") + restore_copies::kNotDecrypted;
                continue;
            }
            opened = h.Next(22, [&] { oZip->OpenToRead(searchCopy); });
            h.Next(23, [&] { startClip(QStringLiteral("Findfile.AVI")); });
        } else {
            opened = h.Next(24, [&] { oZip->OpenToRead(path); });
        }
        if (!opened) {
            notSearched << restore_copies::Reason(archive, h.Err, path);
            showCounters();
            continue;
        }
        ++searchedArchives_;
        showCounters();
        if (const qint32 refused = oZip->Files().Refused(); refused > 0)
            notSearched << archive + QStringLiteral(": ") +
                               (refused == 1 ? QStringLiteral("1 damaged entry was left out")
                                             : QStringLiteral("%1 damaged entries were left out").arg(refused));
        bFirstFind = true;

        const qint32 count = oZip->Files().Count();
        for (qint32 j = 0; j < count; ++j) {
            h.Next(30, [&] {
                const ZipArchiveEntry entry = oZip->Files().Item(j);
                // The grid shows the stored name as it is; without the case
                // option both sides are compared in lower case.
                const QString stored = entry.Name();
                const QString fileName = stored.mid(stored.lastIndexOf(QLatin1Char('\\')) + 1);
                ProgressBar3->setValue(std::min(i + 1, ProgressBar3->Max()));
                ++searchedFiles_;
                const QString pattern = txtFileSearch->Text();
                bFound = false;
                try {
                    bFound = chkCaseSensitive->Value() == 1 ? vb::Like(fileName, pattern)
                                                            : vb::Like(fileName.toLower(), pattern.toLower());
                } catch (const vb::VbError&) {
                    if (pattern != badPattern) {
                        badPattern = pattern;
                        throw;
                    }
                }
                if (bFound) {
                    FG3->AddItem(QStringLiteral("\t") + fileName + QLatin1Char('\t') +
                                 vb::CStr(entry.ModificationDate()) + QLatin1Char('\t') +
                                 QString::number(entry.UncompressedSize()) + QLatin1Char('\t') + archive +
                                 QLatin1Char('\t') + QString::number(j) + QLatin1Char('\t') + stored);
                    ++foundFiles_;
                    if (bFirstFind)
                        ++foundArchives_;
                    bFirstFind = false;
                }
            });
            // Events run a few dozen times a second, not once per entry; the
            // counters are shown each time.
            if (frame.elapsed() >= kFrameMs) {
                showCounters();
                vb::DoEvents();
                if (!self)
                    return;
                frame.restart();
            }
            if (bCancelSearch) {
                stop = true;
                break;
            }
        }
        if (stop)
            break;
        h.Next(40, [&] { oZip->Close(); });
        showCounters();
        vb::DoEvents();
        if (!self)
            return;
        if (bCancelSearch)
            break;
    }

    // Clean-up, also after a cancel: the archive still open is closed first,
    // so its decrypted copy can go.
    showCounters();
    h.Next(50, [&] {
        if (oZip)
            oZip->Close();
    });
    if (!searchCopy.isEmpty())
        h.Next(51, [&] { restore_copies::RemoveCopy(searchCopy); });
    h.Next(52, [&] {
        oZip.reset();
        unsetCursor();
    });
    h.Next(53, [&] { stopClip(); });
    h.Next(54, [&] {
        ProgressBar3->setValue(0);
        fitColumns();
    });
    h.Next(55, [&] { setToolbarState(true, false, true); });
    busy_ = false;
    if (closeAfterBusy_) {
        close();
        return;
    }
    if (!notSearched.isEmpty())
        MsgBox(QStringLiteral("These archives were not searched:") + vb::vbCrLf + notSearched.join(vb::vbCrLf), vbExclamation,
               QStringLiteral("Search"));
}

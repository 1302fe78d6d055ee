// SPDX-License-Identifier: GPL-3.0-or-later
// The search of the restore window: the names stored in the chosen archives,
// tested against the pattern, one grid row per hit.
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringBuilder>

#include <chrono>
#include <functional>
#include <future>
#include <optional>

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

// Runs `work` on a worker thread while `wait` runs on this one, at least
// every kFrameMs: reading the directory of a large archive, and letting go
// of it, take a while, and the window's events go on meanwhile. Raises what
// the work raised.
template <typename Work>
auto RunAside(Work work, const std::function<void()>& wait) {
    auto running = std::async(std::launch::async, std::move(work));
    while (running.wait_for(std::chrono::milliseconds(kFrameMs)) != std::future_status::ready)
        wait();
    return running.get();
}

std::function<void()>& BeforeReading() {
    static std::function<void()> hook;
    return hook;
}

std::unique_ptr<ZipArchiveComponent> OpenToReadAside(const QString& path, const std::function<void()>& wait) {
    return RunAside(
        [path, before = BeforeReading()] {
            if (before)
                before();
            auto zip = std::make_unique<ZipArchiveComponent>();
            zip->OpenToRead(path);
            return zip;
        },
        wait);
}

}  // namespace

void frmRestore::SetBeforeReadingForTest(std::function<void()> hook) { BeforeReading() = std::move(hook); }

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
        widestCells_.fill({});
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
    // The pattern and the case option are read again whenever events have
    // run (only then can they change), and the pattern compiled for them.
    QString pattern;
    int caseOption = -1;
    std::optional<vb::LikePattern> matcher;
    std::optional<vb::VbError> patternError;
    const auto readPattern = [&] {
        const QString text = txtFileSearch->Text();
        const int option = chkCaseSensitive->Value();
        if (option == caseOption && text == pattern)
            return;
        pattern = text;
        caseOption = option;
        matcher.reset();
        patternError.reset();
        try {
            // Without the case option both sides are compared in lower case.
            matcher.emplace(option == 1 ? text : text.toLower());
        } catch (const vb::VbError& e) {
            patternError = e;
        }
    };
    // While an archive's directory is read or let go of aside.
    const auto whileOpening = [&] {
        if (!self)
            return;
        showCounters();
        vb::DoEvents();
    };
    std::unique_ptr<ZipArchiveComponent> opening;
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
            opened = h.Next(22, [&] { opening = OpenToReadAside(searchCopy, whileOpening); });
            if (!self)
                return;
            h.Next(23, [&] { startClip(QStringLiteral("Findfile.AVI")); });
        } else {
            opened = h.Next(24, [&] { opening = OpenToReadAside(path, whileOpening); });
            if (!self)
                return;
        }
        if (opened)
            oZip = std::move(opening);
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
        readPattern();
        for (qint32 j = 0; j < count; ++j) {
            h.Next(30, [&] {
                const ZipArchiveEntry entry = oZip->Files().Item(j);
                // The grid shows the stored name as it is.
                const QString stored = entry.Name();
                const qsizetype nameAt = stored.lastIndexOf(QLatin1Char('\\')) + 1;
                if (j == 0)
                    ProgressBar3->setValue(std::min(i + 1, ProgressBar3->Max()));
                bFound = false;
                // A folder entry (another program's archives have them) is no
                // file to list: its folder comes back with the files in it.
                if (nameAt == stored.size())
                    return;
                ++searchedFiles_;
                if (patternError) {
                    if (pattern != badPattern) {
                        badPattern = pattern;
                        throw *patternError;
                    }
                } else {
                    bFound = caseOption == 1 ? matcher->matches(QStringView(stored).mid(nameAt))
                                             : matcher->matches(stored.mid(nameAt).toLower());
                }
                if (bFound) {
                    const QString fileName = stored.mid(nameAt);
                    const QString date = vb::CStr(entry.ModificationFields());
                    const QString size = QString::number(entry.UncompressedSize());
                    const QString index = QString::number(j);
                    const QChar tab = QLatin1Char('\t');
                    FG3->AddItem(QString(tab % fileName % tab % date % tab % size % tab % archive % tab % index % tab %
                                         stored));
                    noteWholeCell(2, date);
                    noteWholeCell(3, size);
                    noteWholeCell(5, index);
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
                readPattern();
                frame.restart();
            }
            if (bCancelSearch) {
                stop = true;
                break;
            }
        }
        if (stop)
            break;
        h.Next(40, [&] {
            std::unique_ptr<ZipArchiveComponent> closing = std::move(oZip);
            RunAside(
                [&closing] {
                    closing->Close();
                    closing.reset();
                },
                whileOpening);
        });
        if (!self)
            return;
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

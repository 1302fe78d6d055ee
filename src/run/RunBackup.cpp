// SPDX-License-Identifier: GPL-3.0-or-later
// The backup run: cmdBackUpNow of the main window, from Start or "/run" to
// the end of the run.
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include <QApplication>
#include <memory>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/RunOutcome.h"
#include "destinations/NRV_modShutDown.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/ArchiveBits.h"
#include "platform/Dialogs.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "run/ArchivePaths.h"
#include "run/CopyNow.h"
#include "run/ProgramEnd.h"
#include "run/RunDisplay.h"
#include "run/SourceFolder.h"
#include "run/RunPrograms.h"
#include "run/Vaultora_Disk.h"
#include "run/Vaultora_FileSync.h"
#include "run/Vaultora_Main.h"
#include "settings/FilterMasks.h"
#include "settings/SaveSettings.h"
#include "settings/Statistics.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Format.h"
#include "vb/Strings.h"

using namespace run_display;

namespace {

constexpr double kMb = 1048576.0;
constexpr qint64 kElapsedFrameMs = 30;

// The attribute bits of a file as a 16-bit value (Overflow when they do not
// fit, as the run's field holds them).
qint16 AttributesAs16(qint32 attributes) {
    if (attributes < -32768 || attributes > 32767)
        vb::Raise(vb::errOverflow);
    return qint16(attributes);
}

// True when at least one entry of the source list is ticked.
bool HasTickedEntry(ui::VbListBox* list) {
    for (int i = 0; i < list->ListCount(); ++i)
        if (list->Selected(i) && !list->List(i).startsWith(QLatin1String("**")))
            return true;
    return false;
}

QString ElapsedText() {
    return vb::Format(vb::Timer() - double(BackUpStartTime), QStringLiteral("###0"));
}

// Why the run at work could not be made ("" while it goes on): its closing
// phase then says so instead of announcing a finished backup, and counts no
// backup in the statistics.
QString g_refusal;

void Refuse(const QString& label, int erl, const QString& reason) {
    g_refusal = reason;
    ReportCouldNotRun(label, erl, 0, reason);
}

}  // namespace

// One step of a progress bar that counts in fractions: the bar shows whole
// numbers, the run adds its fractions to the value it last set.
void frmMain_BackUp::AdvanceBar(ui::VbProgressBar* bar, float& value, float step) {
    if (value + step >= float(bar->Max()))
        value = float(bar->Max());
    else
        value += step;
    SetBar(bar, int(value));
}

namespace {
// What the walk decided for one file of a folder in ZIP mode.
struct Choice {
    int attr = 0;        // its attributes as the walk read them
    bool hidden = false; // left out as a hidden or system file
    bool take = false;   // it goes into the archive
    QString host;        // its host path when the walk saw a plain file, else ""
    platform::HostStat st;  // and what it saw then
};
}  // namespace

void frmMain_BackUp::cmdBackUpNow() {
    vb::Handler h(QStringLiteral("cmdBackUpNow"));
    enum class Go { After, Closing, Ended };

    QString entry;      // the List1 entry being walked
    QString file;       // the FileList element being handled
    qint32 n = 0;       // the index of the last file of the current folder
    qint64 elapsedShownAt = -1000000;   // MonotonicMs of the last per-file time text

    // ZIP mode: a folder's files listed and chosen (hidden files, filters,
    // new files only) before they are stored, so that the archive can read
    // and deflate them ahead.
    struct FolderPlan {
        QStringList files;
        std::vector<Choice> chosen;
        int taken = 0;
        qint64 bytes = 0;  // about what the plan holds in memory
    };
    // Hidden and system files are left out unless the profile takes them.
    auto leftOutAsHidden = [&](int attr) {
        return (attr & (platform::vbHidden | platform::vbSystem)) && chkHiddenFolders->Value() == 0;
    };
    // An entry "<folder>\*.*" that is ticked (not a marker entry).
    auto isTickedFolder = [&](int index, const QString& text) {
        return !text.startsWith(QLatin1String("**")) && List1->Selected(index) && text.endsWith(QLatin1Char('*'));
    };
    // The look-ahead is bounded in files taken and in the memory the plans
    // hold: a run that takes few files (new files only, narrow filters)
    // would otherwise keep the listings of every folder of the profile.
    constexpr int kFilesAhead = 4096;  // files chosen beyond the folder at work
    constexpr qint64 kBytesAhead = qint64(16) << 20;
    std::map<int, FolderPlan> plans;   // by List1 index
    int plannedUpTo = 0;               // entries below this were looked at for a plan
    int hintedAhead = 0;
    qint64 bytesAhead = 0;
    auto planFolder = [&](const QString& mask) {
        FolderPlan plan;
        QStringList listing{QString()};
        std::swap(listing, FileList);
        Find_Files(mask);
        std::swap(listing, FileList);
        plan.files = std::move(listing);
        SourceFolder folder;
        folder.enter(vb::Left(mask, vb::Len(mask) - 3));
        const qint32 last = qint32(plan.files.size()) - 2;
        plan.chosen.resize(size_t(std::max(last + 1, 0)));
        for (qint32 j = 0; j <= last; ++j) {
            Choice& c = plan.chosen[size_t(j)];
            const QString& f = plan.files.at(j);
            c.attr = AttributesAs16(folder.attributes(f, &c.host, &c.st));
            if (c.st.kind != platform::EntryKind::File)
                c.host.clear();
            plan.bytes += qint64(sizeof(Choice) + 2 * sizeof(QString)) + (f.size() + c.host.size()) * 2;
            c.hidden = leftOutAsHidden(c.attr);
            if (c.hidden) {
                ++runFilteredOut_;
                continue;
            }
            CurrentFileAttr = c.attr;
            CurrentArchiveBit = (c.attr & platform::vbArchive) != 0;
            if (File_Filter(f))
                ++runFilteredOut_;
            else if (!Zip_Wanted(f))
                ++runUnchanged_;
            else
                c.take = true;
            plan.taken += c.take ? 1 : 0;
            vb::DoEventsThrottled();
        }
        return plan;
    };
    auto hint = [&](const FolderPlan& plan) {
        QStringList files;
        QStringList hosts;
        for (size_t j = 0; j < plan.chosen.size(); ++j)
            if (plan.chosen[j].take) {
                files << plan.files.at(qsizetype(j));
                hosts << plan.chosen[j].host;
            }
        vb::Quiet([&] { ZipArchive->Files().Prefetch(files, Slider1->Value(), hosts); });
    };

    auto body = [&]() -> Go {
        // --- set-up ------------------------------------------------------
        h.Erl = 1;
        txtPathBackUp_LostFocus();  // a destination typed with a trailing "\" loses it
        bBackupStarted = true;
        h.Erl = 2;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursorSet_ = true;
        RtbNews1->setText(QString());
        RtbNews1->setFontName(QStringLiteral("Terminal"));
        RtbNews1->setFontSize(6);
        h.Erl = 3;
        SSTab1->setTab(0);
        SSTab1->setEnabled(false);
        Frame7->hide();
        tbTools->Buttons(3).setEnabled(false);
        tbTools->Buttons(4).setEnabled(true);
        tbTools->Buttons(16).setEnabled(false);
        h.Erl = 4;
        Refresh();
        vb::DoEvents();
        vb::DoEvents();
        h.Erl = 5;
        CancelBackUp = false;
        g_refusal.clear();
        runFilteredOut_ = 0;
        runUnchanged_ = 0;
        // The window stays live while a large file is stored, so that Stop
        // is seen (and answered) at once.
        platform::ZipArchiveComponent::SetWhileAdding([] { vb::DoEventsThrottled(); });
        DeliveredArchive.clear();
        TimerRT->setEnabled(false);
        txtTotalFiles->setText(QStringLiteral("0"));
        txtBackUpTime->setText(QStringLiteral("0"));
        txtTotalSize->setText(QStringLiteral("0"));
        txtCompSize->setText(QStringLiteral("0"));
        TotalUncompressed = 0;
        TotalCompressed = 0;
        DeliveredThisRun.clear();
        storedFiles_.clear();
        workFiles_.clear();
        onDiscImage_.clear();
        undeliveredToDisc_.clear();
        h.Erl = 6;
        BackUpStartTime = vb::CLng(double(vb::CSng(vb::Timer())));
        h.Erl = 7;
        if (!RunMode)
            Save_Settings();
        h.Erl = 8;
        // A profile that cannot be run as it stands is refused before
        // anything is made or deleted.
        if (const QString refusal = ProfileRefusal(); !refusal.isEmpty()) {
            Refuse(h.label(), 8, refusal);
            if (!RunMode)
                platform::MsgBox(refusal, platform::vbExclamation, LangText(16));
            return Go::Closing;
        }
        RemoveLeftoversOfAKilledRun();
        h.Erl = 9;
        const bool mediumReady = Update_Media();
        if (chkMedia->Value() == 1 && !mediumReady) {
            Refuse(h.label(), 9, LangText(15) + QLatin1Char(' ') + txtPathBackUp->Text());
            platform::MsgBox(LangText(15) + vb::vbCrLf + LangText(127), platform::vbCritical, LangText(16));
            return Go::Closing;
        }
        h.Erl = 10;
        RunProgramBefore();
        // Stopped while the program before ran (Stop, or the program asked
        // to end): nothing is backed up.
        if (CancelBackUp)
            return Go::After;
        h.Erl = 11;
        if (optBuMode(2)->Value())
            return RunSynchronisation() ? Go::After : Go::Closing;

        // --- ZIP and copy: preparation -----------------------------------
        const bool zipMode = optBuMode(0)->Value();
        h.Erl = 20;
        Speak(LangText(114));
        SetLog(LangText(110));
        h.Erl = 21;
        PlayClip(QStringLiteral("FINDCOMP.AVI"));
        h.Erl = 22;
        LogFileNo = qint16(vb::FreeFile());
        ArchiveDestPath.clear();
        ArchiveTempPath.clear();
        h.Erl = 23;
        BackupDestination =
            chkUseCDRecorder->Value() == 0 ? txtPathBackUp->Text() : vb::Left(cboDevices->Text(), 2);
        BackupTempPath = txtPathTemp->Text();
        if (zipMode) {
            h.Erl = 24;
            if (chkUseCDRecorder->Value() == 1)
                OpenCopy2CD();
            h.Erl = 25;
            if (vb::Val(txtMaxZIPsize->Text()) * kMb * 1.2 > Get_DiskFree(BackupTempPath)) {
                Refuse(h.label(), 25, LangText(111) + QLatin1Char(' ') + BackupTempPath);
                platform::MsgBox(LangText(111) + vb::vbCrLf + LangText(112) + vb::vbCrLf + LangText(113),
                                 platform::vbCritical, LangText(16));
                return Go::After;
            }
            h.Erl = 26;
            ZipArchive = std::make_unique<platform::ZipArchiveComponent>();
            Status(105);
            h.Erl = 27;
            if (!Open_Zip(false)) {
                if (!ProgramEnded()) {
                    // A failed FTP check has logged why already.
                    if (CurrentRunOutcome() == RunOutcome::NotRun)
                        g_refusal = LangText(141);
                    else
                        Refuse(h.label(), 27, LangText(107));
                }
                return ProgramEnded() ? Go::Ended : Go::After;
            }
        } else {
            h.Erl = 28;
            txtCompSize->setText(QString());
            txtZipSize->setText(QString());
            txtAnzFiles->setText(QString());
            txtZipArchive->setText(QString());
        }
        h.Erl = 29;
        SetLog(LangText(114));
        h.Erl = 30;
        const int entries = List1->ListCount();
        const float step1 = entries > 0 ? 100.0f / float(entries) : 0.0f;
        float bar1 = 0;
        ProgressBar1->setValue(0);
        Status(115);
        h.Erl = 31;
        int i = 0;
        PlayClip(zipMode ? QStringLiteral("compress.AVI") : QStringLiteral("FILECOPY.AVI"));
        h.Erl = 32;
        if (!Update_Media()) {
            Refuse(h.label(), 32, LangText(15) + QLatin1Char(' ') + txtPathBackUp->Text());
            return Go::Closing;
        }
        if (zipMode) {
            h.Erl = 33;
            ZipSizeLimit = vb::Val(txtMaxZIPsize->Text()) * kMb * 10;
            if (chkInclRegistry->Value() == 1)
                ExportRegistry();
        }

        // --- the walk of the source list ---------------------------------
        // The names below the destination of a copy are made from the names
        // of the source files, each its own file (see ExactNamesBelow).
        std::optional<platform::ExactNamesBelow> exactDestination;
        if (!zipMode && chkUseCDRecorder->Value() == 0)
            exactDestination.emplace(txtPathBackUp->Text());
        while (i < List1->ListCount()) {
            h.Erl = 40;
            if (!Update_Media()) {
                ReportNotBackedUp(h.label(), 40, 0, LangText(15), txtPathBackUp->Text());
                return Go::Closing;
            }
            h.Erl = 41;
            ZipSizeLimit = vb::Val(txtMaxZIPsize->Text()) * kMb;
            if (zipMode && chkMedia->Value() == 1) {
                h.Erl = 42;
                if (gFreeSpace >= ZipSizeLimit) {
                    // the whole limit fits on the medium
                } else if (ZipSizeLimit / 5 >= gFreeSpace) {
                    AskForNewMedium(false);
                    if (ProgramEnded())
                        return Go::Ended;
                    continue;  // read the medium again for the same entry
                } else {
                    ZipSizeLimit = gFreeSpace;
                }
            }
            h.Erl = 43;
            entry = List1->List(i);
            const bool skip = entry.startsWith(QLatin1String("**")) || !List1->Selected(i);
            if (isTickedFolder(i, entry)) {
                // a folder entry: its files are the names its listing gives
                h.Erl = 44;
                const platform::ExactNamesBelow exactSource(vb::Left(entry, vb::Len(entry) - 3));
                std::vector<Choice> chosen;
                if (zipMode) {
                    // The folder's files were chosen ahead, or are now; the
                    // next folders' are chosen while this one is stored, so
                    // that the archive reads and deflates ahead across them.
                    auto planned = plans.find(i);
                    if (planned == plans.end()) {
                        planned = plans.emplace(i, planFolder(entry)).first;
                        hint(planned->second);
                    } else {
                        hintedAhead -= planned->second.taken;
                        bytesAhead -= planned->second.bytes;
                    }
                    FileList = std::move(planned->second.files);
                    chosen = std::move(planned->second.chosen);
                    plans.erase(planned);
                    for (int k = std::max(plannedUpTo, i + 1); k < List1->ListCount() && hintedAhead < kFilesAhead && bytesAhead < kBytesAhead;
                         ++k) {
                        plannedUpTo = k + 1;
                        const QString next = List1->List(k);
                        if (!isTickedFolder(k, next))
                            continue;
                        FolderPlan& plan = plans.emplace(k, planFolder(next)).first->second;
                        hint(plan);
                        hintedAhead += plan.taken;
                        bytesAhead += plan.bytes;
                    }
                } else {
                    FileList = QStringList{QString()};
                    Find_Files(entry);
                    copy_source::EnterFolder(vb::Left(entry, vb::Len(entry) - 3));
                }
                // What the walk kept of the folder and of its last file is
                // dropped however the folder's loop ends.
                struct ForgetListed {
                    ~ForgetListed() { copy_source::Forget(); }
                } forgetListed;
                n = qint32(FileList.size()) - 2;
                SetBar(ProgressBar2, 0, true);
                float bar2 = 0;
                const float step2 = n > 0 ? 100.0f / float(n) : 0.0f;
                for (qint32 j = 0; j <= n; ++j) {
                    h.Erl = 45;
                    file = FileList.at(j);
                    if (zipMode) {
                        CurrentFileAttr = chosen[size_t(j)].attr;
                        CurrentArchiveBit = (CurrentFileAttr & platform::vbArchive) != 0;
                        h.Erl = 46;
                        if (chosen[size_t(j)].take) {
                            if (chosen[size_t(j)].host.isEmpty())
                                LookedAt().clear();
                            else
                                LookedAt().keep(file, chosen[size_t(j)].host, chosen[size_t(j)].st);
                            Zip_Now(file);
                            if (ProgramEnded())
                                return Go::Ended;
                        } else if (chosen[size_t(j)].hidden) {
                            continue;
                        }
                    } else {
                        CurrentFileAttr = AttributesAs16(copy_source::Attributes(file));
                        if (leftOutAsHidden(CurrentFileAttr)) {
                            ++runFilteredOut_;
                            continue;
                        }
                        CurrentArchiveBit = (CurrentFileAttr & platform::vbArchive) != 0;
                        h.Erl = 46;
                        if (!File_Filter(file)) {
                            Copy_Now(file);
                            if (ProgramEnded())
                                return Go::Ended;
                        } else {
                            ++runFilteredOut_;
                        }
                    }
                    h.Erl = 47;
                    AdvanceBar(ProgressBar2, bar2, step2);
                    // The seconds shown: worked out once a frame here, and
                    // exactly at the end of each entry and on a cancel.
                    const qint64 t = vb::MonotonicMs();
                    if (t - elapsedShownAt >= kElapsedFrameMs || t < elapsedShownAt) {
                        elapsedShownAt = t;
                        SetCounter(txtBackUpTime, ElapsedText());
                    }
                    vb::DoEventsThrottled();
                    if (CancelBackUp) {
                        SetText(txtBackUpTime, ElapsedText());
                        SetBar(ProgressBar2, int(bar2), true);
                        return Go::After;
                    }
                }
                SetBar(ProgressBar2, int(bar2), true);
            } else if (!skip) {
                // a single file
                h.Erl = 48;
                if (!FileExists(entry))
                    ReportNotBackedUp(h.label(), 48, vb::errFileNotFound, QStringLiteral("The source file is missing"),
                                      entry);
                else {
                    file = entry;
                    CurrentFileAttr = AttributesAs16(GetAttributes(entry));
                    if (!leftOutAsHidden(CurrentFileAttr)) {
                        CurrentArchiveBit = (CurrentFileAttr & platform::vbArchive) != 0;
                        h.Erl = 49;
                        if (!File_Filter(entry)) {
                            if (zipMode)
                                Zip_Now(entry);
                            else
                                Copy_Now(entry);
                            if (ProgramEnded())
                                return Go::Ended;
                        } else {
                            ++runFilteredOut_;
                        }
                    } else {
                        ++runFilteredOut_;
                    }
                }
            }
            // end of the entry
            h.Erl = 50;
            SetText(txtBackUpTime, ElapsedText());
            // Events (a click on Stop among them) are let run here at most
            // once a frame: a list of many small folders would otherwise
            // repaint the window for each of them.
            vb::DoEventsThrottled();
            if (CancelBackUp)
                return Go::After;
            AdvanceBar(ProgressBar1, bar1, step1);
            ++i;
        }

        // --- finishing ---------------------------------------------------
        h.Erl = 60;
        if (RtbNews1->Text() == LangText(114)) {
            Speak(LangText(116));
            const QString gap = vb::vbCrLf + vb::vbCrLf;
            SetLog(LangText(116) + gap + LangText(117) + gap + LangText(118) + gap + LangText(119));
            return Go::After;
        }
        h.Erl = 61;
        if (zipMode)
            Zip_Copy(true, true);
        // The disc is written with what the image holds: a copy run's files,
        // or volumes waiting when the last one did not get as far.
        if (!ProgramEnded() && chkUseCDRecorder->Value() == 1)
            WriteDiscImage();
        return ProgramEnded() ? Go::Ended : Go::After;
    };

    Go go = Go::After;
    if (!h.Try([&] { go = body(); })) {
        MarkIncomplete();   // the run ended at the error; what came after it is not backed up
        // The error line is written; the trace line tells what the run was at.
        WriteLog(BackupDestination, BackupTempPath, txtMaxZIPsize->Text(), lblDriveInfo(1)->Caption(), gFreeSpace,
                 entry, file, CurrentFileAttr, optBuMode(0)->Value(), n);
        go = Go::After;
    }
    // What the image holds now no disc got: the run ended before the write.
    vb::Quiet([&] {
        if (!onDiscImage_.empty())
            DiscImageNotWritten(CancelBackUp ? QStringLiteral("The run was stopped before the disc was written")
                                             : QStringLiteral("The run ended before the disc was written"));
        KeepUndeliveredToDisc();
    });
    // The copies still in hand, then the archive flags cleared by copies and
    // not written yet.
    vb::Quiet([] { copy_source::FinishCopies(); });
    vb::Quiet([] { platform::FlushArchiveBits(); });
    if (go == Go::Ended || ProgramEnded())
        return;

    // --- after-phase: also after a cancel or an error -------------------
    // An error here is logged and the run goes on with the closing phase;
    // it never leads back into these phases.
    if (go == Go::After) {
        h.Next(70, [&] { Update_Media(); });
        h.Next(71, [&] { RunProgramAfter(); });
    }
    CloseRun();
}

// What a run that was killed leaves: links and hidden working files in the
// temporary folder, and the hidden partial copies in the destination folders.
void frmMain_BackUp::RemoveLeftoversOfAKilledRun() {
    vb::Quiet([&] {
        platform::RemoveLeftovers(platform::HostPathOrRaise(txtPathTemp->Text()),
                                  {platform::kCopyLeftoverPattern,
                                   QStringLiteral(".vaultora-zip-*"), QStringLiteral(".vaultora-piece-*"),
                                   QStringLiteral("????????registry.*"),
                                   // a link in place of the folder of split pieces
                                   QStringLiteral("splitfile")});
    });
    for (const QString& folder : {txtPathBackUp->Text(), txtDestinySync->Text()})
        vb::Quiet([&] {
            if (!folder.isEmpty())
                platform::RemoveLeftovers(platform::HostPathOrRaise(folder), {platform::kCopyLeftoverPattern});
        });
}

QString frmMain_BackUp::TempFolderClash() {
    if (!optBuMode(0)->Value() || chkMedia->Value() != 1 || chkUseCDRecorder->Value() == 1)
        return {};
    const QString temp = txtPathTemp->Text();
    const QString destination = txtPathBackUp->Text();
    if (temp.trimmed().isEmpty() || destination.trimmed().isEmpty() || !SameFolder(temp, destination))
        return {};
    return QStringLiteral("The temporary folder is the destination folder; choose another temporary folder: ") + temp;
}

// Why the profile as shown cannot be run ("" when it can):
// - its temporary folder is the destination folder, where the run's working
//   files would be made, replaced and deleted among the archives kept there;
// - nothing is ticked in the source list (ZIP and copy mode);
// - a filter mask in use cannot be read: it would leave out every file (or
//   take every one), a backup of what nobody asked for.
QString frmMain_BackUp::ProfileRefusal() {
    if (QString clash = TempFolderClash(); !clash.isEmpty())
        return clash;
    if (optBuMode(2)->Value())
        return {};
    if (!HasTickedEntry(List1))
        return QStringLiteral("The profile has no source entry to back up: ") + cmbProfiles->Text();
    return UnreadableFilter();
}

QString frmMain_BackUp::UnreadableFilter() {
    struct {
        bool used;
        const FilterMaskList& list;
        const char* what;
    } const lists[] = {
        {!optCompleteNoFilter->Value(), BackupExclusions, "exclusion"},
        {optNewOnly->Value(), BackupInclusions, "inclusion"},
    };
    for (const auto& l : lists) {
        if (!l.used)
            continue;
        if (const QString mask = FirstUnreadableMask(l.list); !mask.isEmpty())
            return QStringLiteral("The %1 mask \"%2\" cannot be read (a \"[\" without its \"]\"); nothing was backed up")
                .arg(QLatin1String(l.what), mask);
    }
    return {};
}

void frmMain_BackUp::WarnOfTempFolderClash() {
    if (UnattendedStart())
        return;
    if (const QString clash = TempFolderClash(); !clash.isEmpty())
        platform::MsgBox(clash, platform::vbExclamation, LangText(16));
}

void frmMain_BackUp::NoteWorkFile(const QString& path) {
    if (!workFiles_.contains(path))
        workFiles_ << path;
}

// Each working file is deleted by its own name; one that is gone (handed on,
// or never made) is passed over.
void frmMain_BackUp::DeleteWorkFiles() {
    QStringList files;
    files.swap(workFiles_);
    for (const QString& path : files)
        vb::Quiet([&] { platform::RemoveHostFile(platform::HostPathOrRaise(path), true); });
}

QString frmMain_BackUp::NothingStoredNote() const {
    if (vb::Val(txtTotalFiles->Text()) != 0 || (runFilteredOut_ == 0 && runUnchanged_ == 0))
        return {};
    return LangText(333)
        .replace(QLatin1String("%1"), QString::number(runFilteredOut_))
        .replace(QLatin1String("%2"), QString::number(runUnchanged_));
}

// The closing phase of every run. Each step that fails is logged and the
// phase goes on with the next one, so a run always ends here once.
void frmMain_BackUp::CloseRun() {
    vb::Handler h(QStringLiteral("cmdBackUpNow"));
    vb::Quiet([&] { vb::Close(LogFileNo); });
    platform::ZipArchiveComponent::SetWhileAdding({});
    vb::Quiet([&] {
        if (!ZipArchive)
            vb::Raise(vb::errObjectNotSet);
        ZipArchive->Close();
    });
    h.Next(80, [&] { DeleteWorkFiles(); });
    // A run stopped before its end (the session ending, a stop request) has
    // not backed up all that was asked of it.
    if (RunMode && CancelBackUp)
        ReportNotBackedUp(h.label(), 80, 0, LangText(120), cmbProfiles->Text());
    if (RunMode) {
        // The program's one way out: it unloads the window and ends.
        h.Next(81, [&] { mnuExit_Click(); });
        if (!ProgramEnded())
            End();
        return;
    }
    const bool refused = !g_refusal.isEmpty();
    h.Next(82, [&] {
        if (refused) {
            StatusText(g_refusal);
        } else if (CancelBackUp) {
            // The volume at work when Stop came was not finished: the box
            // names the last one that reached its destination, if any.
            if (optBuMode(0)->Value())
                txtZipArchive->setText(DeliveredArchive);
            StatusText(LangText(120));
            Speak(LangText(120));
        } else {
            StatusText(LangText(121) + QStringLiteral(" - ") + vb::CStr(vb::Now()));
            LastBackUpDate = vb::Now();
            Speak(LangText(121));
        }
    });
    h.Next(83, [&] {
        // A run that stored nothing says why, when the filters or the
        // new-files-only rule left every file out.
        const QString why = refused || CancelBackUp ? QString() : NothingStoredNote();
        SetLog(why.isEmpty() ? txtNews->Text() : why + vb::vbCrLf + txtNews->Text());
    });
    h.Next(84, [&] {
        ZipArchive.reset();
        if (waitCursorSet_) {
            QApplication::restoreOverrideCursor();
            waitCursorSet_ = false;
        }
    });
    h.Next(85, [&] {
        Animation1->Stop();
        Animation1->hide();
        if (!optBuMode(2)->Value())
            Frame7->show();
    });
    h.Next(86, [&] {
        ProgressBar1->setValue(0);
        ProgressBar2->setValue(0);
    });
    h.Next(87, [&] {
        tbTools->Buttons(3).setEnabled(true);
        SSTab1->setEnabled(true);
        tbTools->Buttons(4).setEnabled(false);
        tbTools->Buttons(16).setEnabled(true);
    });
    if (!refused) {
        h.Next(88, [&] { lblLastBackupDate->setCaption(vb::CStr(vb::Now())); });
        h.Next(89, [&] { Save_Statistics(); });
        h.Next(90, [&] { Load_Statistics(); });
    }
    h.Next(91, [&] { PlayCloseSound(); });
    h.Next(92, [&] {
        Refresh();
        vb::DoEvents();
    });
    bool shutdown = false;
    h.Next(93, [&] { shutdown = chkShutdown->Value() == 1; });
    if (shutdown) {
        h.Next(94, [&] { ExitWindowsSession(8, 1); });
        h.Next(95, [&] { mnuExit_Click(); });
        End();
        return;
    }
    h.Next(96, [&] { vb::DoEvents(); });
}

// Synchronisation mode: true goes on with the after-phase, false with the
// closing phase.
bool frmMain_BackUp::RunSynchronisation() {
    if (txtSourceSync->Text().isEmpty() || txtDestinySync->Text().isEmpty()) {
        Refuse(QStringLiteral("cmdBackUpNow"), 11, LangText(281));
        platform::MsgBox(LangText(281) + vb::vbCrLf + LangText(282), platform::vbInformation,
                         QStringLiteral("Info"));
        return false;
    }
    // A folder synchronised with itself, or with a folder inside it, would be
    // copied into itself: refused before anything is made or copied.
    const QString clash = SyncFoldersClash(txtSourceSync->Text(), txtDestinySync->Text());
    if (!clash.isEmpty()) {
        const QString pair = txtSourceSync->Text() + QStringLiteral("  -->>  ") + txtDestinySync->Text();
        Refuse(QStringLiteral("cmdBackUpNow"), 11, clash + QStringLiteral(": ") + pair);
        platform::MsgBox(clash + QLatin1Char(':') + vb::vbCrLf + pair + vb::vbCrLf + LangText(282),
                         platform::vbExclamation, LangText(16));
        return false;
    }
    Speak(LangText(283));
    StatusText(LangText(283));
    CreateDirectoryStruct(txtSourceSync->Text());
    CreateDirectoryStruct(txtDestinySync->Text());
    Speak(LangText(283));
    SetLog(LangText(110));
    vb::Quiet([&] {
        Animation1->Open(platform::ProgramFolder() + QStringLiteral("\\..\\Common\\avi\\update_list.avi"));
        Animation1->show();
        Animation1->Play();
    });
    vb::Quiet([&] {
        Animation2->Open(platform::ProgramFolder() + QStringLiteral("\\..\\Common\\avi\\progress.avi"));
        Animation2->show();
        Animation2->Play();
    });
    const bool bothWays = chkSyncBothDirections->Value() == 1;
    if (chkSyncSubDirs->Value() == 1)
        SynchronizeDir(txtSourceSync->Text(), txtDestinySync->Text(), bothWays);
    else
        SynchronizeFiles(txtSourceSync->Text(), txtDestinySync->Text(), bothWays);
    vb::Quiet([&] { Animation1->Stop(); });
    vb::Quiet([&] {
        Animation2->Stop();
        Animation2->hide();
    });
    QString destination = txtDestinySync->Text();
    gFreeSpace = Get_DiskFree(destination);
    txtRemainSpace->setText(vb::Format(gFreeSpace / kMb, QStringLiteral("###0.0")));
    return true;
}

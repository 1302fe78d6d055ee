// SPDX-License-Identifier: GPL-3.0-or-later
// Zip_Copy of the main window: finishes one archive volume of a ZIP run. It
// tests the archive, makes sure the destination has room, encrypts it,
// copies it with its log to the destination folder and compares the copy
// (or puts both on the disc), deletes the profile's old archives, sends the
// e-mail notice, uploads by FTP and clears the temporary folder.
#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/stat.h>

#include "platform/HostNames.h"
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/RunOutcome.h"
#include "crypto/clsBlowfish.h"
#include "destinations/NRV_InetFTP.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/Dialogs.h"
#include "platform/ArchiveFlag.h"
#include "platform/Database.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "run/ArchivePaths.h"
#include "run/ProgramEnd.h"
#include "run/RunDisplay.h"
#include "run/Vaultora_Disk.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Format.h"
#include "vb/Strings.h"

using namespace run_display;

namespace {

constexpr double kMb = 1048576.0;

bool SamePath(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

QString KeepUndelivered(const QString& tempFolder, const QString& archive, const QString& log) {
    QString kept;
    vb::Quiet([&] {
        const QString base = tempFolder + QStringLiteral("\\undelivered\\") +
                             vb::Now().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
        QString folder = base;
        for (int n = 2; DirExists(folder); ++n)
            folder = base + QStringLiteral(" (%1)").arg(n);
        CreateDirectoryStruct(folder);
        const QString name = folder + QLatin1Char('\\') + sParseFile(archive);
        platform::Name(archive, name);
        kept = folder;
        if (FileExists(log))
            platform::Name(log, name + QStringLiteral(".log"));
    });
    return kept;
}

void frmMain_BackUp::Zip_Copy(bool CleanTemp, bool BurnNow) {
    vb::Handler h(QStringLiteral("Zip_Copy"));
    // Resume next, with the trace line of the procedure after each error.
    auto step = [&](int erl, auto&& f) {
        if (h.Next(erl, f))
            return true;
        WriteLog(ArchiveTempPath, ArchiveDestPath, txtMaxZIPsize->Text(), lblDriveInfo(1)->Caption(), gFreeSpace,
                 CurrentFileAttr, optBuMode(0)->Value(), {}, {}, {});
        return false;
    };
    const bool media = chkMedia->Value() == 1;
    const bool cdRecorder = chkUseCDRecorder->Value() == 1;
    // The notice is the archive's only way out: the volume is delivered when
    // (and only when) the notice arrives.
    const bool mailOnly = !media && chkFTP->Value() != 1 && chkSendEmail->Value() == 1;

    // 1. nothing to finish without an archive
    bool present = false;
    step(1, [&] {
        StopClip();
        present = FileExists(ArchiveTempPath);
    });
    if (!present) {
        SettleArchiveBits(false);
        return;
    }

    // 2. the archive shown
    step(2, [&] {
        if (media || chkSendEmail->Value() == 1)
            txtZipArchive->setText(ArchiveDestPath);
        if (chkFTP->Value() == 1 && !media)
            txtZipArchive->setText(QStringLiteral("... ") + txtFTPdir->Text() + QLatin1Char('\\') + ArchiveName);
    });
    step(3, [&] { Status(133); });

    bool finalStage = false;  // a jump to the final stage
    bool failed = false;      // the archive did not reach a destination
    bool verified = false;    // it reached one and was found whole there
    // 4. the archive test
    {
        vb::Handler test(QStringLiteral("Zip_Copy error_zip"));
        test.Erl = 4;
        if (!test.Try([&] {
                if (!ZipArchive)
                    vb::Raise(vb::errObjectNotSet);
                ZipArchive->Close();
                ZipArchive->Open(ArchiveTempPath);
                ZipArchive->Close();
            })) {
            StopClip();
            ReportNotBackedUp(test.label(), 4, test.Err.Number, LangText(276), ArchiveTempPath);
            platform::MsgBox(LangText(107) + vb::vbCrLf + LangText(142) + vb::vbCrLf + LangText(143) + vb::vbCrLf +
                                 LangText(276),
                             platform::vbCritical, LangText(109));
            finalStage = true;
            failed = true;
        }
    }

    // 5. nothing was backed up
    if (!finalStage)
        step(5, [&] { finalStage = vb::Left(RtbNews1->Text(), 17) == LangText(116); });

    bool encrypted = false;
    bool delivered = false;  // the archive reached its destination whole
    bool ftpFailed = false;  // the upload failed
    while (!finalStage) {
        // 6. room on the medium (a disc's room is the disc image's own
        // question below, asked with the size of the session it writes)
        if (media && !cdRecorder) {
            for (;;) {
                bool fits = true;
                step(6, [&] {
                    QString destination = txtPathBackUp->Text();
                    gFreeSpace = Get_DiskFree(destination);
                    fits = double(platform::FileLen(ArchiveTempPath)) <= gFreeSpace;
                });
                if (fits)
                    break;
                step(6, [&] { AskForNewMedium(false); });
                if (ProgramEnded())
                    return;
            }
        }
        step(7, [&] { StopClip(); });

        // 9. encryption, once
        if (chkEncrypt->Value() == 1 && !encrypted) {
            bool ok = false;
            step(9, [&] {
                Status(288);
                PlayClip(QStringLiteral("encryp.avi"));
                ProgressBar3->setValue(0);
                ProgressBar3->show();
                Refresh();
                NoteWorkFile(ArchiveTempPath + QStringLiteral(".cry"));
                platform::PreparePrivateFile(platform::HostPathOrRaise(ArchiveTempPath + QStringLiteral(".cry")), true);
                Cypher = new clsBlowfish(this);
                connect(Cypher, &clsBlowfish::Progress, this, &frmMain_BackUp::cypher_Progress);
                ok = Cypher->EncryptFile(ArchiveTempPath, ArchiveTempPath + QStringLiteral(".cry"), true,
                                         ArchiveKey(), false);
            });
            step(9, [&] {
                delete Cypher;
                Cypher = nullptr;
                ProgressBar3->hide();
                ArchiveTempPath += QStringLiteral(".cry");
                ArchiveDestPath += QStringLiteral(".cry");
                StopClip();
            });
            encrypted = true;
            if (!ok) {
                // Without the encrypted file there is nothing to carry on.
                ReportNotBackedUp(QStringLiteral("Zip_Copy error_encrypt"), 9, vb::errPathFileAccess,
                                  QStringLiteral("The archive could not be encrypted"), ArchiveTempPath);
                failed = true;
                break;
            }
        }

        // 10. the destination
        if (media) {
            step(10, [&] {
                PlayClip(QStringLiteral("copy_to_SourceSafe.avi"));
                Status(134);
                Refresh();
            });
            bool retry = false;     // failure B: ask for a medium, then again from step 6
            bool different = false;
            if (!cdRecorder) {
                bool copied = false;
                {
                    vb::Handler copy(QStringLiteral("Zip_Copy"));
                    copy.Erl = 10;
                    copied = copy.Try([&] { platform::FileCopy(ArchiveTempPath, ArchiveDestPath); });
                }
                if (copied) {
                    step(10, [&] {
                        PlayClip(QStringLiteral("compare.avi"));
                        Status(136);
                        Refresh();
                    });
                    bool equal = false;
                    step(10, [&] { equal = compare_files(ArchiveTempPath, ArchiveDestPath); });
                    if (equal) {
                        delivered = true;
                        if (chkWriteLog->Value() == 1) {
                            step(10, [&] {
                                Status(289);
                                vb::Close(LogFileNo);
                            });
                            vb::Handler copy(QStringLiteral("Zip_Copy"));
                            copy.Erl = 10;
                            if (!copy.Try([&] {
                                    if (FileExists(ArchiveLogPath))
                                        platform::FileCopy(ArchiveLogPath, ArchiveDestPath + QStringLiteral(".log"));
                                })) {
                                copied = false;
                                delivered = false;
                            }
                        }
                    } else {
                        ReportNotBackedUp(h.label(), 10, 0, LangText(137), ArchiveDestPath);
                        step(10, [&] {
                            platform::MsgBox(LangText(137) + vb::vbCrLf + LangText(138) + vb::vbCrLf + LangText(139),
                                             platform::vbCritical | platform::vbOKOnly, LangText(16));
                            StopClip();
                        });
                        different = true;
                    }
                }
                if (!copied) {
                    // failure B. The copy puts the archive in place only once
                    // it is whole, so a failed one leaves no partial file under
                    // the archive's name: what is there is the archive this
                    // run appended to, or this run's complete copy, and stays.
                    step(10, [&] { AskForNewMedium(false); });
                    if (ProgramEnded())
                        return;
                    retry = true;
                }
            } else {
                QStringList files{ArchiveTempPath};
                step(10, [&] {
                    if (chkWriteLog->Value() == 1) {
                        Status(289);
                        vb::Close(LogFileNo);
                        if (FileExists(ArchiveLogPath))
                            files << ArchiveLogPath;
                    }
                });
                // The volume's files keep their archive flags until the disc
                // holds it; an intermediate volume waits on the image for the
                // write at the next full disc or at the end of the run.
                QString why;
                if (PutOnDiscImage(QString(), files, &why)) {
                    onDiscImage_.push_back({ArchiveTempPath, storedFiles_, ArchiveTempPath});
                    if (BurnNow && !WriteDiscImage())
                        failed = true;
                } else {
                    LeftOffDisc(ArchiveTempPath, why, ArchiveTempPath);
                    failed = true;
                }
            }
            if (retry)
                continue;
            if (different) {
                failed = true;
                break;
            }
            step(10, [&] {
                StopClip();
                QString destination = txtPathBackUp->Text();
                gFreeSpace = Get_DiskFree(destination);
                txtRemainSpace->setText(vb::Format(gFreeSpace / kMb, QStringLiteral("###0.0")));
            });
            if (delivered)
                DeliveredThisRun << ArchiveDestPath << ArchiveDestPath + QStringLiteral(".log");
        }

        // 8. the old archives, once the new one is safe at the destination
        verified = verified || delivered;
        if (media && delivered)
            step(8, [&] { DeleteOldArchives(); });

        // 11. the e-mail notice
        if (chkSendEmail->Value() == 1) {
            step(11, [&] {
                Status(135);
                PlayClip(QStringLiteral("sendmail.avi"));
                Refresh();
                if (mailOnly)
                    SendMailNoticeOnly();
                else
                    SendMailNotice(QString(ArchiveTempPath));
                StopClip();
            });
        }

        // 12. the upload
        if (chkFTP->Value() == 1) {
            step(12, [&] {
                Status(291);
                PlayClip(QStringLiteral("websend.avi"));
                Refresh();
                // The log goes up whole: it is not written to any more.
                if (chkWriteLog->Value() == 1)
                    vb::Close(LogFileNo);
                if (FTPcopy_files(false, ArchiveTempPath, ArchiveName)) {
                    StopClip();
                    // A volume without a log (the option off) has none to send.
                    if (FileExists(ArchiveLogPath)) {
                        Status(291);
                        PlayClip(QStringLiteral("websend.avi"));
                        const QString logName = ArchiveName + QStringLiteral(".log");
                        if (!FTPcopy_files(false, ArchiveLogPath, logName))
                            WriteErrorLog(false, ProgramName, QStringLiteral("Zip_Copy error_ftp"), 12,
                                          FtpLastFailure().code, FtpFailureText(QStringLiteral("upload of ") + logName));
                        StopClip();
                    }
                    verified = true;
                    DeliveredElsewhere(ArchiveTempPath);
                    if (!media)
                        DeleteOldArchives();
                } else {
                    failed = true;
                    ftpFailed = true;
                    StopClip();
                    ReportNotBackedUp(QStringLiteral("Zip_Copy error_ftp"), 12, FtpLastFailure().code,
                                      FtpFailureText(QStringLiteral("upload of ") + ArchiveName), ArchiveName);
                    platform::MsgBox(LangText(141) + vb::vbCrLf + LangText(142) + vb::vbCrLf + LangText(143),
                                     platform::vbCritical, LangText(109));
                }
            });
        }
        break;
    }

    // The archive flags of the volume's files: cleared when it reached its
    // destination, or when none of its destinations can tell. (On a disc
    // they are cleared once the disc is written.)
    const bool checkable = media || chkFTP->Value() == 1 || mailOnly;
    SettleArchiveBits(verified || (!failed && !checkable));
    // The volume that a Stop later in the run leaves named in the box.
    if (!failed)
        vb::Quiet([&] { DeliveredArchive = txtZipArchive->Text(); });

    // A volume that failed to go up and lies in no destination folder either
    // is kept: the temporary copy is the only whole one (in an appending run
    // it holds the server's earlier archive of the period too).
    if (ftpFailed && !delivered && !cdRecorder) {
        const QString kept = KeepUndelivered(txtPathTemp->Text(), ArchiveTempPath, ArchiveLogPath);
        if (!kept.isEmpty())
            WriteErrorLog(false, ProgramName, QStringLiteral("Zip_Copy error_ftp"), 12, 0,
                          QStringLiteral("The archive that was not uploaded is kept in ") + kept + QStringLiteral(": ") +
                              ArchiveName);
    }

    // 13. the final stage
    if (CleanTemp && !cdRecorder) {
        step(13, [&] { Status(140); });
        vb::Quiet([&] { DeleteWorkFiles(); });
    }
    step(13, [&] {
        StopClip();
        PlayClip(QStringLiteral("compress.avi"));
        Refresh();
    });
}

// The e-mail notice of a volume that has no other destination. The archive
// and its log leave the run's working files: once the notice has arrived the
// volume's archive flags are cleared and both are deleted; when it fails
// they are kept below "undelivered" and the flags stay, as for any delivery
// that failed.
void frmMain_BackUp::SendMailNoticeOnly() {
    std::vector<StoredFile> files;
    files.swap(storedFiles_);
    const QString archive = ArchiveTempPath;
    const QString log = archive + QStringLiteral(".log");
    const QString temp = txtPathTemp->Text();
    // The log goes out whole: it is not written to any more.
    if (chkWriteLog->Value() == 1)
        vb::Close(LogFileNo);
    workFiles_.removeAll(archive);
    workFiles_.removeAll(log);
    SendMailNotice(archive, [files = std::move(files), archive, log, temp](bool arrived) {
        if (arrived) {
            ClearArchiveBits(files);
            for (const QString& path : {archive, log})
                vb::Quiet([&] { platform::RemoveHostFile(platform::HostPathOrRaise(path), true); });
            return;
        }
        const QString kept = KeepUndelivered(temp, archive, log);
        if (!kept.isEmpty())
            WriteErrorLog(false, ProgramName, QStringLiteral("Zip_Copy error_mail"), 11, 0,
                          QStringLiteral("The archive whose e-mail notice was not sent is kept in ") + kept +
                              QStringLiteral(": ") + sParseFile(archive));
    });
}

// Clears (or forgets) the archive flags of the files stored in the volume
// just finished; a file that has changed since it was stored keeps its flag.
void frmMain_BackUp::SettleArchiveBits(bool clear) {
    std::vector<StoredFile> files;
    files.swap(storedFiles_);
    if (clear)
        ClearArchiveBits(files);
}

void frmMain_BackUp::ClearArchiveBits(const std::vector<StoredFile>& files) {
    if (files.empty())
        return;
    vb::Quiet([&] {
        platform::Database::shared().transaction([&] {
            for (const StoredFile& f : files)
                vb::Quiet([&] {
                    const QString& host = f.hostPath;
                    struct stat st {};
                    if (!host.isEmpty() && ::stat(platform::HostBytes(host).constData(), &st) == 0 &&
                        qint64(st.st_size) == f.size && qint64(st.st_mtim.tv_sec) == f.writtenSecs)
                        platform::ClearArchiveFlag(host, qint64(st.st_size), st.st_mtim);
                });
        });
    });
}

// Deletes the profile's archives and logs of the chosen kind in the backup
// folder that are the kept number of days old or older. A destination on a
// CD-ROM drive keeps them, and so does every archive this run delivered.
void frmMain_BackUp::DeleteOldArchives() {
    if (chkDeleteArchive->Value() != 1 || lblDriveInfo(1)->Caption() == LangText(8))
        return;
    // A count below one day would take every earlier archive with it: such a
    // count (a profile stored before the box was cleaned) deletes nothing.
    const double kept = vb::Val(txtDeleteArchive->Text());
    if (!(kept >= 1)) {
        WriteErrorLog(false, ProgramName, QStringLiteral("DeleteOldArchives of Formular frmMain_BackUp"), 1,
                      vb::errInvalidCall,
                      QStringLiteral("The number of days to keep archives is not a whole number of at least 1 (\"%1\"); "
                                     "no archive was deleted")
                          .arg(txtDeleteArchive->Text()));
        return;
    }
    PlayClip(QStringLiteral("FILEDELR.AVI"));
    Refresh();
    Status(278);
    const qint32 days = qint32(std::min(std::floor(kept), double(std::numeric_limits<qint32>::max())));
    static const char* const kinds[] = {"_BackUp_d", "_BackUp_w", "_BackUp_m"};
    const QString kind = QString::fromLatin1(kinds[SelectedArchivePeriod()]);
    const QString folder = txtPathBackUp->Text() + QLatin1Char('\\');
    for (const char* ext : {"*.zip", "*.cry", "*.log"}) {
        const QString pattern = folder + cmbProfiles->Text() + kind + QString::fromLatin1(ext);
        std::vector<platform::FindRecord> found;
        vb::Quiet([&] { found = platform::FindEntries(pattern, platform::vbNormal); });
        for (const platform::FindRecord& r : found) {
            if (r.attributes & platform::vbDirectory)
                continue;
            const QString path = folder + r.name;
            bool delivered = false;
            for (const QString& d : DeliveredThisRun)
                delivered = delivered || SamePath(d, path);
            if (!delivered)
                DeleteFiles(path, days);
        }
    }
    StopClip();
}

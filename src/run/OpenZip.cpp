// SPDX-License-Identifier: GPL-3.0-or-later
// Open_Zip of the main window: names the archive of a ZIP run, finds the
// volumes that exist already, continues the last one or starts the next,
// brings an archive to append to into the temporary folder, and opens the
// working archive and its log.
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/RunOutcome.h"
#include "crypto/ArchiveKey.h"
#include "crypto/clsBlowfish.h"
#include "destinations/NRV_InetFTP.h"
#include "destinations/Vaultora_CDWriterXP.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/ZipArchiveComponent.h"
#include "run/ArchiveNaming.h"
#include "run/ArchivePaths.h"
#include "run/ProgramEnd.h"
#include "run/RunDisplay.h"
#include "run/Vaultora_Disk.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"

using namespace run_display;

namespace {

bool SamePathText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A symbolic link under a working file's name goes before the file is made.
void RemoveLinkAt(const QString& windowsPath) {
    vb::Quiet([&] { platform::RemoveHostLink(platform::HostPathOrRaise(windowsPath)); });
}

}  // namespace

QString frmMain_BackUp::ArchiveKey() const {
    return ArchiveKeyFor(txtEncryptPassword->Text());
}

bool frmMain_BackUp::DecryptArchive(const QString& inPath, const QString& outPath) {
    // The archive in the clear is for its owner's eyes only.
    if (!SamePathText(inPath, outPath) &&
        !vb::Quiet([&] { platform::PreparePrivateFile(platform::HostPathOrRaise(outPath), true); }))
        return false;
    Cypher = new clsBlowfish(this);
    connect(Cypher, &clsBlowfish::Progress, this, &frmMain_BackUp::cypher_Progress);
    const bool ok = Cypher->DecryptFile(inPath, outPath, true, ArchiveKey(), false);
    delete Cypher;
    Cypher = nullptr;
    return ok;
}

bool frmMain_BackUp::Open_Zip(bool NewVolume) {
    vb::Handler h(QStringLiteral("Open_Zip of Formular frmMain_BackUp"));
    QString pattern;  // the search pattern for existing volumes
    bool result = false;

    const bool encrypt = chkEncrypt->Value() == 1;
    auto setLogPath = [&] {
        if (encrypt) {
            ArchiveLogPath = ArchiveTempPath + QStringLiteral(".cry.log");
            ArchiveName += QStringLiteral(".cry");
        } else {
            ArchiveLogPath = ArchiveTempPath + QStringLiteral(".log");
        }
    };
    auto baseName = [&] {
        return archive_naming::BaseName(cmbProfiles->Text(), SelectedArchivePeriod(), vb::Date());
    };
    auto nextNumber = [](int n) { return int(vb::CInt(double(n) + 1)); };

    const bool ok = h.Try([&] {
        h.Erl = 1;
        Refresh();
        vb::DoEvents();

        enum class At { FirstNaming, NextVolume, BuildNames, Opening, Done };
        At at = At::FirstNaming;
        int highest = 0;
        if (NewVolume) {
            h.Erl = 2;
            Zip_Copy(true, false);
            if (ProgramEnded())
                return;
            at = At::NextVolume;
        }

        while (at != At::Done) {
            switch (at) {
            case At::FirstNaming: {
                h.Erl = 3;
                const QString base = baseName();
                ArchiveName = base;
                ArchiveDestPath = BackupDestination + QLatin1Char('\\') + base;
                ArchiveTempPath = BackupTempPath + QLatin1Char('\\') + base;
                h.Erl = 4;
                setLogPath();
                h.Erl = 5;
                CreateDirectoryStruct(BackupTempPath);
                Status(299);

                // the highest volume that exists already
                h.Erl = 6;
                highest = 0;
                pattern = vb::Left(ArchiveDestPath, ArchiveDestPath.size() - 4) + QStringLiteral("__*.zip");
                if (encrypt)
                    pattern += QStringLiteral(".cry");
                // A name found is a volume of this profile only when it is
                // the profile's stem, "__", digits and the suffix, letter for
                // letter: a profile name may hold "__", "#", "[", "?" or "*".
                const QString stem = sParseFile(vb::Left(ArchiveDestPath, ArchiveDestPath.size() - 4));
                const QString suffix = encrypt ? QStringLiteral(".zip.cry") : QStringLiteral(".zip");
                auto volumeOf = [&](const QString& name) { return archive_naming::ListedVolume(name, stem, suffix); };
                if (chkMedia->Value() == 1) {
                    h.Erl = 7;
                    PlayClip(QStringLiteral("newfiletree.avi"));
                    Refresh();
                    if (chkUseCDRecorder->Value() != 1)
                        CreateDirectoryStruct(BackupDestination);
                    vb::Quiet([&] {
                        // A disc is numbered after the archives of its last session.
                        if (chkUseCDRecorder->Value() == 1) {
                            for (const QString& name : CdDiscFiles(sParseFile(pattern)))
                                highest = std::max(highest, volumeOf(name));
                            return;
                        }
                        for (QString name = platform::Dir(pattern, platform::vbNormal); !name.isEmpty();
                             name = platform::Dir()) {
                            highest = std::max(highest, volumeOf(name));
                        }
                    });
                    StopClip();
                }
                if (chkFTP->Value() == 1 && chkMedia->Value() == 0) {
                    h.Erl = 8;
                    PlayClip(QStringLiteral("earthspin.avi"));
                    Refresh();
                    txtZipArchive->setText(QStringLiteral("ftp:// ... ") + txtFTPdir->Text() + QStringLiteral(" ..."));
                    if (encrypt)
                        txtZipArchive->setText(txtZipArchive->Text() + QStringLiteral(".cry"));
                    pattern = sParseFile(pattern);
                    QString subFolder;
                    bool flag = true;
                    if (!FTPtest_connection(subFolder, flag)) {
                        ReportCouldNotRun(h.label(), 8, FtpLastFailure().code,
                                          FtpFailureText(QStringLiteral("connection check before appending")));
                        SetLog(LangText(141));
                        StopClip();
                        Refresh();
                        platform::MsgBox(LangText(141), platform::vbCritical, LangText(109));
                        platform::MsgBox(LangText(249) + vb::vbCrLf + LangText(174), platform::vbCritical,
                                         LangText(23));
                        vb::DoEvents();
                        result = false;
                        at = At::Done;
                        return;
                    }
                    for (int k = 0; k < lstServerFiles->ListCount(); ++k) {
                        const QString listed = lstServerFiles->List(k);
                        const int number = volumeOf(listed);
                        if (number > highest) {
                            highest = number;
                            ArchiveName = listed;
                        }
                    }
                }

                // continue the last volume, or start the next one
                h.Erl = 9;
                if (highest > 0) {
                    Status(102);
                    ArchiveDestPath = vb::Left(ArchiveDestPath, ArchiveDestPath.size() - 4) + QStringLiteral("__") +
                                      QString::number(highest) + QStringLiteral(".zip");
                    ArchiveTempPath = BackupTempPath + QLatin1Char('\\') + sParseFile(ArchiveDestPath);
                }
                h.Erl = 10;
                if (chkAppendArchive->Value() == 0) {
                    highest = nextNumber(highest);
                    at = At::BuildNames;
                    break;
                }
                at = At::Opening;
                if (chkMedia->Value() == 1) {
                    h.Erl = 11;
                    PlayClip(QStringLiteral("copy_from_sourcesafe.avi"));
                    Refresh();
                    if (encrypt) {
                        h.Erl = 12;
                        const QString found = ArchiveDestPath + QStringLiteral(".cry");
                        txtZipArchive->setText(found);
                        if (FileExists(found)) {
                            const QString copy = ArchiveTempPath + QStringLiteral(".cry");
                            NoteWorkFile(copy);
                            NoteWorkFile(ArchiveTempPath);
                            platform::FileCopy(found, copy);
                            if (!DecryptArchive(copy, ArchiveTempPath)) {
                                platform::MsgBox(LangText(302), platform::vbCritical, LangText(16));
                                at = At::NextVolume;
                                break;
                            }
                        }
                    } else {
                        h.Erl = 13;
                        txtZipArchive->setText(ArchiveDestPath);
                        if (FileExists(ArchiveDestPath)) {
                            NoteWorkFile(ArchiveTempPath);
                            platform::FileCopy(ArchiveDestPath, ArchiveTempPath);
                            platform::PreparePrivateFile(platform::HostPathOrRaise(ArchiveTempPath), false);
                        }
                    }
                    h.Erl = 14;
                    const QString destLog =
                        ArchiveDestPath + (encrypt ? QStringLiteral(".cry.log") : QStringLiteral(".log"));
                    if (chkWriteLog->Value() == 1 && FileExists(destLog)) {
                        NoteWorkFile(ArchiveLogPath);
                        platform::FileCopy(destLog, ArchiveLogPath);
                    }
                    StopClip();
                }
                if (chkFTP->Value() == 1 && chkMedia->Value() == 0) {
                    h.Erl = 15;
                    PlayClip(QStringLiteral("ftpdownload.avi"));
                    Refresh();
                    QString subFolder;
                    QString remote = ArchiveName;
                    QString localFolder = sParsePath(ArchiveTempPath);
                    QString localName = sParseFile(ArchiveTempPath);
                    // The fetched archive is for its owner's eyes only, from
                    // its first byte (the download keeps the file's mode).
                    NoteWorkFile(ArchiveTempPath);
                    platform::PreparePrivateFile(platform::HostPathOrRaise(ArchiveTempPath), true);
                    if (!FTPretrieve_files(subFolder, remote, localFolder, localName)) {
                        at = At::NextVolume;
                        break;
                    }
                    h.Erl = 16;
                    txtZipArchive->setText(QStringLiteral("... ") + txtFTPdir->Text() + QLatin1Char('\\') + ArchiveName);
                    if (encrypt && !DecryptArchive(ArchiveTempPath, ArchiveTempPath)) {
                        platform::MsgBox(LangText(302), platform::vbCritical, LangText(16));
                        at = At::NextVolume;
                        break;
                    }
                    h.Erl = 17;
                    if (chkWriteLog->Value() == 1) {
                        QString remoteLog = ArchiveName + QStringLiteral(".log");
                        QString logFolder = sParsePath(ArchiveLogPath);
                        QString logName = sParseFile(ArchiveLogPath);
                        NoteWorkFile(ArchiveLogPath);
                        platform::PreparePrivateFile(platform::HostPathOrRaise(ArchiveLogPath), true);
                        FTPretrieve_files(subFolder, remoteLog, logFolder, logName);
                    }
                    StopClip();
                }
                break;
            }

            case At::NextVolume:
                // the volume after the working archive's
                h.Erl = 19;
                Status(106);
                h.Erl = 20;
                // (a working archive without a volume number is followed by 1)
                highest = nextNumber(archive_naming::VolumeNumber(ArchiveTempPath));
                at = At::BuildNames;
                break;

            case At::BuildNames: {
                h.Erl = 22;
                const QString volume = archive_naming::VolumeName(baseName(), highest);
                ArchiveName = volume;
                ArchiveDestPath = BackupDestination + QLatin1Char('\\') + volume;
                ArchiveTempPath = BackupTempPath + QLatin1Char('\\') + volume;
                setLogPath();
                h.Erl = 23;
                if (chkMedia->Value() == 1 || chkSendEmail->Value() == 1)
                    txtZipArchive->setText(ArchiveTempPath);
                if (chkFTP->Value() == 1 && chkMedia->Value() == 0)
                    txtZipArchive->setText(QStringLiteral("... ") + txtFTPdir->Text() + QLatin1Char('\\') + ArchiveName);
                at = At::Opening;
                break;
            }

            case At::Opening: {
                h.Erl = 25;
                Status(105);
                h.Erl = 26;
                if (!ZipArchive)
                    vb::Raise(vb::errObjectNotSet);
                ZipArchive->Close();
                vb::Close(LogFileNo);
                LogFileNo = qint16(vb::FreeFile());
                h.Erl = 27;
                // A link under the archive's name is removed, never written through.
                RemoveLinkAt(ArchiveTempPath);
                // What the run makes here is its own to delete; a file that
                // was there before (and not brought in by the run) is not.
                if (!FileExists(ArchiveTempPath))
                    NoteWorkFile(ArchiveTempPath);
                if (chkWriteLog->Value() == 1 && !FileExists(ArchiveLogPath))
                    NoteWorkFile(ArchiveLogPath);
                if (FileExists(ArchiveTempPath)) {
                    vb::Handler openProblem(QStringLiteral("Open_Zip ziparchive_problem of Formular frmMain_BackUp"));
                    openProblem.Erl = 27;
                    if (!openProblem.Try([&] { ZipArchive->Open(ArchiveTempPath); })) {
                        platform::MsgBox(LangText(107) + vb::vbCrLf + LangText(108), platform::vbCritical,
                                         LangText(109));
                        WriteLog(BackupDestination, BackupTempPath, ArchiveTempPath, ArchiveDestPath, {}, {}, {}, {},
                                 {}, {});
                        at = At::NextVolume;
                        break;
                    }
                } else {
                    h.Erl = 28;
                    Status(106);
                    ZipArchive->Close();
                    ZipArchive->Create(ArchiveTempPath);
                    ZipArchive->SetComment(archive_naming::Comment());
                }
                h.Erl = 29;
                CurrentZipSize = double(platform::FileLen(ArchiveTempPath));
                h.Erl = 30;
                if (chkMedia->Value() == 1)
                    txtZipArchive->setText(ArchiveDestPath + (encrypt ? QStringLiteral(".cry") : QString()));
                h.Erl = 31;
                if (chkWriteLog->Value() == 1) {
                    platform::PreparePrivateFile(platform::HostPathOrRaise(ArchiveLogPath), false);
                    vb::Open(ArchiveLogPath, vb::OpenMode::Append, LogFileNo);
                }
                h.Erl = 32;
                vb::DoEvents();
                result = true;
                at = At::Done;
                break;
            }

            case At::Done:
                break;
            }
        }
    });
    if (!ok) {
        StopClip();
        WriteLog(pattern, {}, {}, {}, {}, {}, {}, {}, {}, {});
        return false;
    }
    return result;
}

int frmMain_BackUp::SelectedArchivePeriod() const {
    if (optArchive(1)->Value())
        return archive_naming::Weekly;
    if (optArchive(2)->Value())
        return archive_naming::Monthly;
    return archive_naming::Daily;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/Vaultora_Disk.h"

#include <exception>

#include <QFileInfo>

#include "common/Globals.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/ScriptingFileSystem.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

double gFreeSpace = 0;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr double kBytesPerMb = 1048576.0;
constexpr int kErrDeviceUnavailable = 68;

void setRow(int row, const QString& value) { fMainForm->lblDriveInfo(row)->setCaption(value); }
void setCaptionOfRow(int row, const QString& caption) { fMainForm->lblDesc(row)->setCaption(caption); }

// The spare space in bytes as the panel uses it: the whole number of
// kilobytes of txtSpareSpace times 1024 (64-bit, so a spare space of 2 GB or
// more is shown instead of failing the check).
qint64 panelSpareBytes() { return qint64(vb::CLng(fMainForm->txtSpareSpace->Text())) * 1024; }

QString driveTypeText(int code) {
    switch (code) {
    case platform::fsoRamDisk:
        return LangText(7);
    case platform::fsoCDRom:
        return LangText(8);
    case platform::fsoNetwork:
        return LangText(9);
    case platform::fsoFixed:
        return LangText(10);
    case platform::fsoRemovable:
        return LangText(11);
    case platform::fsoUnknownType:
        return LangText(12);
    default:
        return LangText(13);
    }
}

bool isDriveLetterPath(const QString& path) { return vb::Mid(path, 2, 1) == QLatin1String(":"); }

// The deepest folder of a drive-letter path that exists, or the drive's root.
QString VolumeQueryPath(const QString& path) {
    const QString root = vb::Left(path, 2) + QStringLiteral("\\");
    QString folder = path;
    while (folder.size() > root.size()) {
        while (folder.endsWith(QLatin1Char('\\')) && folder.size() > root.size())
            folder.chop(1);
        const QString host = platform::ToHost(folder);
        if (!host.isEmpty() && QFileInfo(host).isDir())
            return folder;
        const int cut = folder.lastIndexOf(QLatin1Char('\\'));
        if (cut < 0)
            break;
        folder = folder.left(cut);
    }
    return root;
}
bool isNetworkPath(const QString& path) { return vb::Left(path, 2) == QLatin1String("\\\\"); }

bool checkRecorder(frmMain_BackUp* f) {
    const QString drive = vb::Left(f->cboDevices->Text(), 2);
    gFreeSpace = Get_DiskFree(drive);
    setRow(3, MbFormatA(gFreeSpace));
    setRow(0, MbFormatA(gFreeSpace - double(panelSpareBytes())));
    setRow(5, drive);
    f->SetStatusCDR();
    if (f->lblDriveInfo(4)->Caption() == LangText(5)) {
        // A disc that is not mounted has no drive letter: its rows stay empty.
        vb::Quiet([&] {
            const platform::ScriptingFileSystem fso;
            const platform::FsoDrive d = fso.GetDrive(vb::Left(drive, 1));
            if (d.IsReady) {
                setRow(2, d.FileSystem);
                setCaptionOfRow(9, QStringLiteral("Used Space:"));
                setRow(9, MbFormatA(double(d.TotalSize)));
            }
        });
    }
    return true;  // also without a disc
}

// The number of folders in a drive's root. A run checks the medium before
// every source entry: the root is listed again only when it changed (its
// modification time moves with every name added, removed or renamed in it).
int rootSubFolderCount(const platform::ScriptingFileSystem& fso, const QString& rootFolder) {
    struct Seen {
        QString host;
        dev_t dev = 0;
        ino_t ino = 0;
        struct timespec mtime {};
        int count = -1;
    };
    static Seen seen;
    const platform::FsoFolder root = fso.GetFolder(rootFolder);
    const platform::HostStat st = platform::StatHost(root.hostPath());
    if (seen.count >= 0 && seen.host == root.hostPath() && seen.dev == st.dev && seen.ino == st.ino &&
        seen.mtime.tv_sec == st.mtime.tv_sec && seen.mtime.tv_nsec == st.mtime.tv_nsec)
        return seen.count;
    const int count = int(root.SubFolderNames().size());
    seen = Seen{root.hostPath(), st.dev, st.ino, st.mtime, count};
    return count;
}

bool checkFolder(frmMain_BackUp* f) {
    const QString dest = f->txtPathBackUp->Text();
    gFreeSpace = Get_DiskFree(dest);
    const QString drive = vb::Left(dest, 2);
    setCaptionOfRow(6, QStringLiteral("Root Folder:"));
    setCaptionOfRow(7, QStringLiteral("Serial Number:"));
    setCaptionOfRow(8, QStringLiteral("Share Name:"));
    setCaptionOfRow(9, QStringLiteral("Total Size:"));
    if (!isDriveLetterPath(drive)) {
        // A network path (or any other form without a drive letter).
        setRow(0, MbFormatA(gFreeSpace));
        setRow(3, MbFormatB(gFreeSpace));
        f->txtRemainSpace->setText(MbFormatC(gFreeSpace));
        setRow(1, LangText(20));
        setRow(4, LangText(5));
        return true;
    }
    const platform::ScriptingFileSystem fso;
    for (;;) {
        const platform::FsoDrive d = fso.GetDrive(vb::Left(drive, 1));
        if (d.IsReady) {
            setRow(0, MbFormatA(double(d.AvailableSpace - panelSpareBytes())));
            setRow(1, driveTypeText(d.DriveType));
            setRow(2, d.FileSystem);
            setRow(3, MbFormatA(double(d.FreeSpace)));
            setRow(4, LangText(5));
            setRow(5, d.Path);
            setRow(6, d.RootFolder);
            setRow(7, QString::number(d.SerialNumber));
            setRow(8, d.ShareName);
            setRow(9, MbFormatA(double(d.TotalSize)));
            setRow(10, d.VolumeName);
            setRow(11, LangText(13));
            setRow(11, QString::number(rootSubFolderCount(fso, d.RootFolder)));
            gFreeSpace = Get_DiskFree(drive);
            f->txtRemainSpace->setText(MbFormatC(gFreeSpace));
            vb::DoEventsThrottled();   // a run checks the medium for every entry
            return true;
        }
        setRow(4, LangText(14));
        // Outside a run (none started since the program started) the check
        // only reports; during one the user may insert the medium. A profile
        // being loaded sets the destination by code: nobody asked, so no box.
        if (!bBackupStarted || (fMainForm && fMainForm->LoadingSettings))
            return false;
        const int answer = platform::MsgBox(
            LangText(15), platform::vbRetryCancel | platform::vbCritical | platform::vbDefaultButton2,
            LangText(16));
        if (answer == platform::vbRetry)
            continue;
        if (answer == platform::vbCancel)
            platform::MsgBox(LangText(17) + kCrLf + LangText(18), platform::vbInformation, LangText(19));
        return false;
    }
}

bool checkMedium() {
    frmMain_BackUp* f = fMainForm;
    ClearValues();
    setRow(4, LangText(14));
    const bool media = f->chkMedia->Value() == 1;
    const bool recorder = f->chkUseCDRecorder->Value() == 1;
    const bool ftp = f->chkFTP->Value() == 1;
    const QString dest = f->txtPathBackUp->Text();
    if (media && !recorder && !isDriveLetterPath(dest) && !isNetworkPath(dest))
        return false;
    if (ftp && !media) {
        setRow(1, LangText(4));
        setRow(4, LangText(5));
        gFreeSpace = 1E12;
        f->txtRemainSpace->setText(LangText(6));
        return true;
    }
    if (recorder)
        return checkRecorder(f);
    return checkFolder(f);
}

}  // namespace

QString MbFormatA(double bytes) { return vb::Format(bytes / kBytesPerMb, QStringLiteral("## ##0.00")) + QStringLiteral(" Mb"); }
QString MbFormatB(double bytes) { return vb::Format(bytes / kBytesPerMb, QStringLiteral("# ##0.0")) + QStringLiteral(" Mb"); }
QString MbFormatC(double bytes) { return vb::Format(bytes / kBytesPerMb, QStringLiteral("###0.0")); }

double LargeIntegerToDouble(qint32 low, qint32 high) {
    vb::Handler h(QStringLiteral("LargeIntegerToDouble of Modul NRV_Disk"));
    constexpr double k2p32 = 4294967296.0;
    double d = 0;
    h.Next(1, [&] {
        d = high;
        if (high < 0)
            d += k2p32;
        d *= k2p32;
        d += low;
        if (low < 0)
            d += k2p32;
    });
    return d;
}

double Get_DiskFree(const QString& path) {
    vb::Handler h(QStringLiteral("Get_DiskFree of Modul NRV_Disk"));
    double result = 0;
    bool recorder = false;
    // A test that fails goes on in its true branch.
    if (!h.Next(1, [&] {
            recorder = fMainForm->chkUseCDRecorder->Value() == 1 &&
                       path != fMainForm->txtPathTemp->Text();
        }))
        recorder = true;
    if (recorder) {
        h.Next(2, [&] { result = double(fMainForm->FreeCdSpace()); });
        return result;
    }
    // A drive letter asks for its root; anything else is asked as it is. A
    // drive here may hold more than one file system (a disk mounted in a
    // folder of it), so a folder of the path that exists is asked instead:
    // its own file system is where the backup goes.
    // (A run asks after every file, and the path is nearly always there:
    // it is asked first, and the folders above it only when it is missing.)
    qint64 freeToCaller = 0, totalBytes = 0, totalFree = 0;
    h.Next(3, [&] {
        if (!isDriveLetterPath(path)) {
            platform::GetDiskFreeSpaceEx(path, &freeToCaller, &totalBytes, &totalFree);
            return;
        }
        if (path.size() > 3 && platform::GetDiskFreeSpaceEx(path, &freeToCaller, &totalBytes, &totalFree))
            return;
        platform::GetDiskFreeSpaceEx(VolumeQueryPath(path), &freeToCaller, &totalBytes, &totalFree);
    });
    h.Next(4, [&] {
        const quint64 bytes = quint64(totalFree);
        const double free = LargeIntegerToDouble(qint32(quint32(bytes & 0xFFFFFFFFu)), qint32(quint32(bytes >> 32)));
        result = free - vb::Val(fMainForm->txtSpareSpace->Text()) * 1024;
    });
    return result;
}

void ClearValues() {
    vb::Handler h(QStringLiteral("ClearValues of Modul NRV_Disk"));
    for (int i = 0; i <= 11; ++i) {
        if (i != 4)
            h.Next(i, [&] { setRow(i, LangText(13)); });
    }
}

bool Update_Media() {
    vb::Handler h(QStringLiteral("Update_Media of Modul NRV_Disk"));
    bool result = false;
    try {
        result = checkMedium();
    } catch (...) {
        const vb::ErrInfo e = vb::ErrFrom(std::current_exception());
        // An unknown drive letter ends the check without a log line.
        if (e.Number != kErrDeviceUnavailable)
            h.Log(e);
        result = false;
    }
    vb::DoEventsThrottled();
    return result;
}

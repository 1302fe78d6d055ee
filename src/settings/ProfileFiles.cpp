// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProfileFiles.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/Speech.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"

QStringList FileList{QString()};

namespace {
const QString kSelectedFlag = QStringLiteral("-1 ");
const QString kClearedFlag = QStringLiteral(" 0 ");

// A profile name becomes a file name: refuse what Windows refuses there.
void CheckProfileFileName(const QString& name) {
    static const QString bad = QStringLiteral("\\/:*?\"<>|");
    for (QChar c : name) {
        if (bad.contains(c) || c.unicode() < 32)
            vb::Raise(vb::errBadFileNameOrNumber);
    }
}

// The VB error for a failed open, write or commit; `err` is errno right
// after the failing call.
[[noreturn]] void RaiseWriteError(const QFileDevice& file, int err) {
    if (err == ENOSPC || err == EDQUOT || file.error() == QFileDevice::ResourceError)
        vb::Raise(vb::errDiskFull);
    if (err == EACCES || err == EPERM || err == EROFS || file.error() == QFileDevice::PermissionsError)
        vb::Raise(vb::errPermissionDenied);
    if (file.error() == QFileDevice::OpenError)
        vb::Raise(vb::errPathFileAccess);
    vb::Raise(vb::errDeviceIO);
}

bool FlagIsNumeric(const QString& flag) { return vb::IsNumeric(flag); }
bool FlagValue(const QString& flag) { return vb::CDbl(flag) != 0.0; }
}  // namespace

QString ProfileFilePath(const QString& name) {
    return platform::ProgramFolder() + QStringLiteral("\\") + name + QStringLiteral(".pfl");
}

void saveProfile(const QString& name) {
    if (vb::Trim(name).isEmpty())
        return;
    frmMain_BackUp& f = *fMainForm;
    vb::Handler h(QStringLiteral("saveProfile of Modul Vaultora_Sub"));
    int index = 0;
    const bool ok = h.Try([&] {
        h.Erl = 1;
        CheckProfileFileName(name);
        const QString path = ProfileFilePath(name);
        const QString host = platform::ToHost(path);
        if (host.isEmpty() || !QFileInfo(QFileInfo(host).absolutePath()).isDir())
            vb::Raise(vb::errPathNotFound);
        if (QFileInfo(host).isDir())
            vb::Raise(vb::errPathFileAccess);
        // A read-only profile file is not replaced, as opening it for
        // writing would fail.
        if (QFileInfo::exists(host) && (platform::GetAttr(path) & platform::vbReadOnly))
            vb::Raise(vb::errPathFileAccess);
        // The old file stays as it is until the whole list is written.
        QSaveFile file(host);
        errno = 0;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            RaiseWriteError(file, errno);
        h.Erl = 3;
        const int count = f.List1->ListCount();
        for (index = 0; index < count; ++index) {
            QByteArray lines = f.List1->List(index).toUtf8();
            lines += "\r\n";
            lines += (f.List1->Selected(index) ? kSelectedFlag : kClearedFlag).toLatin1();
            lines += "\r\n";
            errno = 0;
            if (file.write(lines) != lines.size())
                RaiseWriteError(file, errno);
        }
        h.Erl = 4;
        errno = 0;
        if (!file.commit())
            RaiseWriteError(file, errno);
    });
    if (!ok) {
        vb::Quiet([&] {
            const int count = f.List1->ListCount();
            const QString entry = count > 0 && index < count ? f.List1->List(index) : QString();
            WriteLog(name, count, entry, "", "", "", "", "", "", "");
        });
    }
}

void loadProfile(const QString& name) {
    frmMain_BackUp& f = *fMainForm;
    vb::Handler h(QStringLiteral("loadProfile of Modul Vaultora_Sub"));
    int fileNo = 0;
    h.Try([&] {
        h.Erl = 1;
        f.List1->Clear();
        FileList = QStringList{QString()};
        QString path = ProfileFilePath(name);
        h.Erl = 2;
        if (!FileExists(path))
            return;
        h.Erl = 3;
        fileNo = vb::FreeFile();
        vb::Open(ProfileFilePath(name), vb::OpenMode::Input, fileNo);
        while (!vb::Eof(fileNo)) {
            h.Erl = 4;
            const QString entry = vb::LineInput(fileNo);
            // An entry longer than any path can be is no entry: it is passed
            // over with a log line (a list entry of megabytes would take the
            // list minutes to show).
            const bool marker = vb::Left(entry, 2) == QLatin1String("**");
            if ((marker ? entry.size() - kAutoAddMarker.size() : entry.size()) > kLongestPath) {
                WriteErrorLog(false, ProgramName, h.label(), 4, vb::errBadFileNameOrNumber,
                              QStringLiteral("An entry longer than any path is passed over (%1 characters) in %2")
                                  .arg(entry.size())
                                  .arg(ProfileFilePath(name)));
                continue;
            }
            if (marker) {
                h.Erl = 5;
                f.txtNews->setText(LangText(204));
                f.RtbNews1->setText(LangText(204) + vb::vbCrLf + f.RtbNews1->Text());
                if (f.chkSound->Value() == 1)
                    Speak(LangText(204));
                f.Refresh();
                const QString flag = vb::LineInput(fileNo);
                if (FlagIsNumeric(flag) && f.chkAddNewSub->Value() == 1) {
                    h.Erl = 6;
                    f.List1->AddItem(entry);
                    const bool selected = FlagValue(flag);
                    f.List1->setSelected(f.VerificaDup(entry), selected);
                    if (selected) {
                        bool onlyFile = false;
                        bool withSubs = true;
                        QString addPath = vb::Mid(entry, 44);
                        bool popMessage = false;
                        f.AddItem(onlyFile, withSubs, addPath, popMessage);
                        vb::DoEvents();
                    }
                }
            } else {
                h.Erl = 7;
                f.txtNews->setText(LangText(2));
                const QString second = vb::Mid(entry, 2, 1);
                if (second == QLatin1String(":") || second == QLatin1String("\\")) {
                    const QString flag = vb::LineInput(fileNo);
                    if (FlagIsNumeric(flag) && f.VerificaDup(entry) == -1) {
                        h.Erl = 8;
                        f.List1->AddItem(entry);
                        // The entry was not there before: the one just
                        // added is the last.
                        f.List1->setSelected(f.List1->ListCount() - 1, FlagValue(flag));
                    }
                }
            }
            // Pending events run a few dozen times a second: a profile of
            // many entries is not slowed down by a window round per entry.
            vb::DoEventsThrottled();
        }
    });
    if (fileNo != 0)
        vb::Quiet([&] { vb::Close(fileNo); });
}

void add_profile(const QString& name, qint16 count) {
    vb::Handler h(QStringLiteral("add_profile of Modul Vaultora_Sub"));
    bool blank = false;
    h.Next(1, [&] { blank = vb::Trim(name).isEmpty(); });
    if (blank)
        return;
    frmMain_BackUp& f = *fMainForm;
    for (int i = 0; i < count; ++i) {
        bool equal = false;
        h.Next(2, [&] { equal = f.cmbProfiles->List(i) == name; });
        if (equal)
            return;
    }
    h.Next(3, [&] { f.cmbProfiles->AddItem(name); });
}

void cmdClearProfile_Click() {
    vb::Handler h(QStringLiteral("cmdClearProfile_Click of Modul Vaultora_Sub"));
    h.Next(1, [&] { fMainForm->List1->Clear(); });
    h.Next(2, [&] { fMainForm->cmbProfiles->setText(QString()); });
}

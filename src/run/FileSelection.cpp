// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file search and file selection filters: which files of
// a source folder a run lists, which of them it skips, and the shortened
// paths of the log lines.
#include <QDate>
#include <QDateTime>

#include "common/NRV_File_Dir.h"
#include "common/RunOutcome.h"
#include "platform/FolderListing.h"
#include "platform/HostFiles.h"
#include "platform/PathResolver.h"
#include "platform/ScriptingFileSystem.h"
#include "platform/FileSystem.h"
#include "settings/FilterMasks.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {

// The calendar day of the file's last write as the directory entry gives it
// (UTC, the time of day dropped). A file that has gone meanwhile has an
// empty record, whose date is the first day of 1601.
QDate lastWriteDay(const QString& file) {
    const platform::FindRecord r = Findfile(file);
    if (!r.written.isValid())
        return QDate(1601, 1, 1);
    return r.written.toUTC().date();
}

}  // namespace

void frmMain_BackUp::Find_Files(const QString& Mask) {
    vb::Handler h(QStringLiteral("Find_Files of Formular frmMain_BackUp"));
    h.Try([&] {
        // The folder with its trailing "\": the mask without its "*.*".
        const QString prefix = vb::Left(Mask, vb::Len(Mask) - 3);
        FileList.append(QString());
        // A source folder that is not there (a drive not plugged in, a
        // folder renamed) backs nothing up: that is told, not passed over.
        if (!platform::ScriptingFileSystem().FolderExists(prefix)) {
            // A folder deeper than the system reaches is there, but cannot be
            // read: that is what is told.
            const platform::HostPath host = platform::ResolveWindowsPath(prefix);
            if (host.ok() && platform::HostPathTooLong(host.path))
                ReportNotBackedUp(h.label(), 1, vb::errPathFileAccess,
                                  QStringLiteral("The source folder's path is longer than the system allows"), prefix);
            else
                ReportNotBackedUp(h.label(), 1, vb::errPathNotFound, QStringLiteral("The source folder is missing"),
                                  prefix);
            return;
        }
        ReportUncopyable(prefix);
        qsizetype upper = FileList.size() - 1;
        const int everyFile = platform::vbNormal | platform::vbReadOnly | platform::vbHidden |
                              platform::vbSystem;
        QString name = platform::Dir(Mask, everyFile);
        if (name.isEmpty())
            return;
        FileList[upper - 1] = prefix + name;
        for (;;) {
            name = platform::Dir();
            if (name.isEmpty())
                return;
            FileList[upper] = prefix + name;
            FileList.append(QString());
            ++upper;
        }
    });
}

// The entries of a source folder that no mode can back up (FIFOs, sockets,
// devices) are named in the error log, unless the user's filters leave them
// out anyway.
void frmMain_BackUp::ReportUncopyable(const QString& folder) {
    QStringList names;
    vb::Quiet([&] { names = platform::ListUncopyableEntries(platform::HostPathOrRaise(folder)); });
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.')) && chkHiddenFolders->Value() == 0)
            continue;
        if (File_Excluded(folder + name))
            continue;
        ReportNotBackedUp(QStringLiteral("Find_Files of Formular frmMain_BackUp"), 1, vb::errPathFileAccess,
                          QStringLiteral("Not a file that can be copied"), folder + name);
    }
}

bool frmMain_BackUp::File_Filter(const QString& File) {
    vb::Handler h(QStringLiteral("File_Filter of Formular frmMain_BackUp"));
    if (File.isEmpty())
        return true;
    // Each test that cannot be evaluated counts as true: the file is
    // skipped (an invalid day count skips every file).
    bool hit = false;
    if (!h.Next(2, [&] { hit = optCompleteNoFilter->Value(); }))
        return true;
    if (hit)
        return false;
    if (File_Excluded(File))
        return true;
    // The day of the last write, read once for the date rules that are on.
    QDate written;
    auto day = [&] {
        if (written.isNull())
            written = lastWriteDay(File);
        return written;
    };
    if (!h.Next(4, [&] { hit = chkExclOldFiles->Value() == 1 && day() < DTPicker1->Value(); }) || hit)
        return true;
    if (!h.Next(5, [&] { hit = chkExclYoungFiles->Value() == 1 && day() > DTPicker1->Value(); }) || hit)
        return true;
    if (!h.Next(6, [&] {
            hit = false;
            if (chkExclYoungDayFiles->Value() == 1) {
                const qint32 days = vb::CLng(txtExclYoungDay->Text());
                hit = day().daysTo(vb::Date()) < days;
            }
        }) || hit)
        return true;
    return false;
}

bool frmMain_BackUp::File_Excluded(const QString& File) {
    vb::Handler h(QStringLiteral("File_Excluded of Formular frmMain_BackUp"));
    return h.Guard(true, [&] { return NameMatchesMaskList(sParseFile(File), BackupExclusions); });
}

bool frmMain_BackUp::File_Included(const QString& File) {
    vb::Handler h(QStringLiteral("File_Included of Formular frmMain_BackUp"));
    return h.Guard(true, [&] { return NameMatchesMaskList(sParseFile(File), BackupInclusions); });
}

QString frmMain_BackUp::shorten_path(QString TmpStr, qint16 NewPathLen) {
    vb::Handler h(QStringLiteral("shorten_path of Formular frmMain_BackUp"));
    return h.Guard(QString(), [&] {
        const int width = NewPathLen;
        if (vb::Len(TmpStr) <= width)
            return TmpStr;
        if (width <= 3)
            return vb::Left(TmpStr, std::max(width, 0));
        // Keep the drive (or the server) and the first folder, then the tail.
        int head = vb::InStr(4, TmpStr, QStringLiteral("\\"));
        if (head > width - 3) {
            // A first folder that reaches beyond the width: half of the
            // width for the head, the rest for the tail.
            head = (width - 3) / 2;
        }
        return vb::Left(TmpStr, head) + QStringLiteral("...") + vb::Right(TmpStr, width - 3 - head);
    });
}

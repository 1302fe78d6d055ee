// SPDX-License-Identifier: GPL-3.0-or-later
// The FTP panel of the main window: retrieval of archives into the restore
// folder, the connection test, and the transfer control's state event. (The
// restore-folder picker is one of the window's path pickers.)
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "destinations/NRV_InetFTP.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/SaveSettings.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Cp1252.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace {

const QString kTestFileName = QStringLiteral("testFTP.nrv");

// The hourglass for the time of a panel command, and both transfer buttons
// of the panel disabled meanwhile: the transfers run one at a time.
class BusyPanel {
public:
    explicit BusyPanel(frmMain_BackUp& f) : f_(f) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        vb::Quiet([&] {
            f_.cmdFTPretrieve->setEnabled(false);
            f_.cmdTestFTPconnection->setEnabled(false);
        });
    }
    ~BusyPanel() {
        vb::Quiet([&] {
            f_.cmdFTPretrieve->setEnabled(true);
            f_.cmdTestFTPconnection->setEnabled(true);
        });
        QApplication::restoreOverrideCursor();
    }

private:
    frmMain_BackUp& f_;
};

// Writes the test file anew in a private folder of the user, without
// following a link planted at its name. Raises 75 when it cannot.
void WriteTestFile(const QString& hostPath, const QString& line) {
    const QByteArray bytes = vb::EncodeCp1252(line + QStringLiteral("\r\n"));
    const QByteArray name = QFile::encodeName(hostPath);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        vb::Raise(vb::errPathFileAccess);
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    if (!ok)
        vb::Raise(vb::errDeviceIO);
}

// True when the restore folder can take fetched files; else the user is
// told why and nothing is fetched.
bool RestoreFolderUsable(const QString& folder) {
    QString problem;
    if (!vb::Quiet([&] { problem = LocalFolderProblem(folder); }))
        problem = QStringLiteral("The restore folder %1 cannot be used.").arg(folder);
    if (problem.isEmpty())
        return true;
    vb::Quiet([&] { platform::MsgBox(problem + vb::vbCrLf + LangText(189), platform::vbExclamation, LangText(23)); });
    return false;
}

}  // namespace

void frmMain_BackUp::cmdFTPretrieve_Click() {
    vb::Handler h(QStringLiteral("cmdFTPrestore_Click of Formular frmMain_BackUp"));
    if (FtpOperationRunning())
        return;
    BusyPanel busy(*this);
    if (!RestoreFolderUsable(txtFTPrestoreDir->Text()))
        return;
    h.Next(2, [] { Save_Settings(); });
    h.Next(4, [&] {
        FTPretrieve_files(QString(), txtRetrieveMask->Text(), txtFTPrestoreDir->Text(), QString());
    });
}

void frmMain_BackUp::cmdTestFTPconnection_Click() {
    vb::Handler h(QStringLiteral("cmdTestFTPconnection_Click of Formular frmMain_BackUp"));
    if (FtpOperationRunning())
        return;
    BusyPanel busy(*this);
    // The test fetches its file into the restore folder: nothing is sent
    // when that cannot take it.
    if (!RestoreFolderUsable(txtFTPrestoreDir->Text()))
        return;
    // The local test file lives in a folder of its own that only this user
    // can enter; it goes with the folder when the test ends.
    QTemporaryDir privateFolder(QDir::tempPath() + QStringLiteral("/vaultora-ftptest-XXXXXX"));
    const bool passed = h.Guard(false, [&] {
        h.Erl = 1;
        Save_Settings();
        h.Erl = 2;
        lblFTPstatus->setCaption(LangText(191));
        FtpWait(1);
        h.Erl = 3;
        if (!privateFolder.isValid())
            vb::Raise(vb::errPathFileAccess);
        const QString localHost = privateFolder.filePath(kTestFileName);
        const QString local = platform::ToWindows(localHost);
        WriteTestFile(localHost, LangText(192));
        FtpWait(1);
        h.Erl = 4;
        lblFTPstatus->setCaption(LangText(193));
        FtpWait(2);
        h.Erl = 5;
        if (!FTPcopy_files(true, local, kTestFileName))
            return false;
        h.Erl = 6;
        FtpWait(2);
        lblFTPstatus->setCaption(LangText(194));
        FtpWait(2);
        h.Erl = 7;
        if (!FTPretrieve_files(QString(), kTestFileName, txtFTPrestoreDir->Text(), QString()))
            return false;
        h.Erl = 8;
        FtpWait(2);
        lblFTPstatus->setCaption(LangText(195));
        FtpWait(2);
        h.Erl = 9;
        const QString fetched = txtFTPrestoreDir->Text() + QLatin1Char('\\') + kTestFileName;
        if (!FileExists(fetched))
            return false;
        platform::Kill(fetched);
        QFile::remove(localHost);
        h.Erl = 10;
        if (!FTPdelete_files(false, kTestFileName))
            return false;
        lblFTPstatus->setCaption(LangText(196));
        return true;
    });
    if (!passed) {
        vb::Quiet([&] {
            lblFTPstatus->setCaption(LangText(197));
            platform::MsgBox(LangText(198), platform::vbInformation, LangText(199));
        });
    }
    vb::Quiet([&] { lstServerFiles->Clear(); });
}

void frmMain_BackUp::Inet2_StateChanged(qint16 State) {
    vb::Handler h(QStringLiteral("Inet2_StateChanged of Formular frmMain_BackUp"));
    if (!h.Next(1, [&] { InetFTP_StateChanged(State); }))
        WriteLog(QString::number(State), QString(), QString(), QString(), QString(), QString(), QString(),
                 QString(), QString(), QString());
}

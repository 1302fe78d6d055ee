// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/NRV_InetFTP.h"

#include <QThread>
#include <cmath>
#include <unistd.h>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_Time.h"
#include "platform/FileSystem.h"
#include "platform/HostNames.h"
#include "platform/Paths.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

using platform::FtpCommand;
using platform::InetControl;

bool FtpListing = false;
bool FtpDownloading = false;

namespace {

FtpFailure lastFailure;

void NoteFailure(const FtpCommand& command, qint32 code, const QString& answer) {
    lastFailure.command = command.Text();
    lastFailure.code = code;
    lastFailure.answer = answer.trimmed();
    // 530: not logged in; 67: the transfer library's "login denied".
    lastFailure.login = code == 530 || code == 67;
}

const QString kModule = QStringLiteral(" of Modul NRV_InetFTP");
const QString kCrLf = QStringLiteral("\r\n");

double waitScale = 1.0;
qint32 connectTimeout = 60;
qint32 commandTimeout = 20;

frmMain_BackUp& form() {
    if (!fMainForm)
        vb::Raise(vb::errObjectNotSet);
    return *fMainForm;
}

// The status line and a line on top of the run log.
void StatusPost(const QString& text) {
    frmMain_BackUp& f = form();
    f.lblFTPstatus->setCaption(text);
    f.RtbNews1->PrependLine(text);
}

// The end of a failed operation: its failure text, then the connection
// given up.
bool GiveUp(const QString& text) {
    vb::Quiet([&] { StatusPost(text); });
    FTP_Reset();
    return false;
}

void setFlags(bool listing, bool downloading) {
    FtpListing = listing;
    FtpDownloading = downloading;
}

// A listed name that can be used as a local file name as it stands: no
// folder separators, no device or wildcard characters, not "." or "..".
bool SafeLocalName(const QString& name) {
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name)
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 32)
            return false;
    return true;
}

// Reads a finished listing into lstServerFiles.
void TakeListing(InetControl& inet) {
    frmMain_BackUp& f = form();
    QString text;
    for (;;) {
        const QString piece = inet.GetChunk(4096, 0).toString();
        if (piece.isEmpty())
            break;
        text += piece;
    }
    // An empty listing empties the list too: entries of an earlier folder
    // must not pass for this folder's (nor be fetched as its files).
    f.lstServerFiles->Clear();
    if (!text.isEmpty()) {
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype end = text.indexOf(kCrLf, start);
            const QString line = text.mid(start, end < 0 ? -1 : end - start);
            start = end < 0 ? text.size() : end + 2;
            const QString t = vb::Trim(line);
            if (!t.isEmpty() && t != QLatin1String("./") && t != QLatin1String("../"))
                f.lstServerFiles->AddItem(line);
            vb::DoEvents();
        }
        if (f.lstServerFiles->ListCount() > 0)
            f.lstServerFiles->setListIndex(0);
    }
}

// One operation at a time: the control carries one session, and an operation
// started from an event handler while another one waits (a click during a
// transfer) would tear that session apart. Such a call fails at once.
int operationDepth = 0;

class Operation {
public:
    Operation() : nested_(operationDepth > 0) {
        if (!nested_)
            lastFailure = FtpFailure();
        ++operationDepth;
    }
    ~Operation() { --operationDepth; }
    // True when another operation is under way; the status line says that
    // this one failed.
    bool refused() const {
        if (nested_)
            vb::Quiet([] { StatusPost(LangText(26)); });
        return nested_;
    }

private:
    bool nested_;
};

}  // namespace

bool FtpOperationRunning() {
    return operationDepth > 0;
}

QString FtpFailure::Answer() const {
    if (code >= 100)
        return answer.isEmpty() ? QString::number(code) : QString::number(code) + QLatin1Char(' ') + answer;
    return answer;
}

const FtpFailure& FtpLastFailure() {
    return lastFailure;
}

QString FtpFailureText(const QString& action) {
    const QString answer = lastFailure.Answer();
    if (lastFailure.login)
        return QStringLiteral("FTP login failed: ") + answer + QStringLiteral(" (") + action + QLatin1Char(')');
    QString text = QStringLiteral("FTP ") + action + QStringLiteral(" failed");
    const bool transfer = lastFailure.command.startsWith(QLatin1String("SEND ")) ||
                          lastFailure.command.startsWith(QLatin1String("GET "));
    if (!lastFailure.command.isEmpty() && !transfer)
        text += QStringLiteral(" at \"") + lastFailure.command + QLatin1Char('"');
    if (!answer.isEmpty())
        text += QStringLiteral(": ") + answer;
    return text;
}

QString FtpPartName(const QString& name) {
    return name + QStringLiteral(".part");
}

void SetFtpTimingForTest(double scale, qint32 connect, qint32 command) {
    waitScale = scale;
    connectTimeout = connect;
    commandTimeout = command;
}

void FtpWait(qint32 Seconds) {
    if (waitScale == 1.0) {
        Wait(Seconds);
        return;
    }
    const qint64 until = vb::MonotonicMs() + qint64(std::llround(Seconds * 1000.0 * waitScale));
    do {
        vb::DoEvents();
        QThread::msleep(1);
    } while (vb::MonotonicMs() < until);
    vb::DoEvents();
}

platform::InetControl& FtpControl() {
    frmMain_BackUp& f = form();
    if (!f.Inet2) {
        f.Inet2 = new InetControl(QStringLiteral("Inet2"), &f);
        QObject::connect(f.Inet2, &InetControl::StateChanged, &f, &frmMain_BackUp::Inet2_StateChanged);
    }
    return *f.Inet2;
}

qint32 FtpPortNumber(const QString& text) {
    const QString t = vb::Trim(text);
    if (!vb::IsNumeric(t))
        vb::Raise(vb::errTypeMismatch);
    const double v = vb::CDbl(t);
    if (v != std::floor(v) || v < 1 || v > 65535)
        vb::Raise(vb::errOverflow);
    return qint32(v);
}

bool SendCommand(const FtpCommand& Command) {
    bool result = true;
    vb::Handler h(QStringLiteral("SendCommand of Formular frmMain"));
    InetControl* inet = nullptr;
    if (!h.Next(2, [&] {
            frmMain_BackUp& f = form();
            f.RtbNews1->setText(QStringLiteral("COMMAND : ") + Command.Text() + kCrLf + f.RtbNews1->Text());
        }))
        result = false;
    bool raised = false;
    if (!h.Next(3, [&] {
            inet = &FtpControl();
            inet->Execute(Command);
        }))
        raised = true;
    if (raised)
        NoteFailure(Command, h.Err.Number, h.Err.Description);
    if (!h.Next(4, [&] {
            if (!inet)
                return;
            while (inet->StillExecuting())
                inet->WaitForProgress(50);
            FtpWait(1);
        }) && !raised) {
        raised = true;
        NoteFailure(Command, h.Err.Number, h.Err.Description);
    }
    if (raised)
        result = false;
    // The server refused the request: only a folder that exists already is
    // an expected refusal.
    if (result && inet && inet->LastRequestFailed() && Command.verb != FtpCommand::Verb::MkDir) {
        result = false;
        NoteFailure(Command, inet->ResponseCode(), inet->ResponseInfo());
    }
    return result;
}

bool FTP_ini(bool CreateFolders, const QString& SubPath) {
    vb::Handler h(QStringLiteral("FTP_ini") + kModule);
    bool connected = false;
    h.Try([&] {
        frmMain_BackUp& f = form();
        h.Erl = 1;
        f.lstServerFiles->Clear();
        h.Erl = 2;
        InetControl& inet = FtpControl();
        inet.AccessType = 0;
        inet.RequestTimeout = connectTimeout;
        inet.Protocol = InetControl::icFTP;
        inet.RemotePort = FtpPortNumber(f.txtFTPport->Text());
        h.Erl = 3;
        if (f.chkProxy->Value() == 0) {
            inet.RemoteHost = vb::Trim(f.txtFTPserver->Text());
            inet.UserName = f.txtFTPuser->Text();
        } else {
            inet.RemoteHost = vb::Trim(f.txtFTPProxy->Text());
            inet.UserName = f.txtFTPuser->Text() + QLatin1Char('@') + vb::Trim(f.txtFTPserver->Text());
        }
        h.Erl = 4;
        inet.Password = f.txtFTPpassword->Text();
        h.Erl = 5;
        setFlags(true, false);
        if (SendCommand(FtpCommand::dir())) {
            h.Erl = 6;
            inet.RequestTimeout = commandTimeout;
            connected = CreateChange_FTPDirectory(f.txtFTPdir->Text() + SubPath, CreateFolders);
        }
    });
    if (connected)
        return true;
    return GiveUp(LangText(28));
}

bool CreateChange_FTPDirectory(const QString& Path, bool Create) {
    vb::Handler h(QStringLiteral("CreateChange_FTPDirectory") + kModule);
    return h.Guard(false, [&] {
        setFlags(true, false);
        if (vb::Trim(Path).isEmpty())
            return false;
        int start = (Path.startsWith(QLatin1Char('/')) || Path.startsWith(QLatin1Char('\\'))) ? 2 : 1;
        for (;;) {
            int p = vb::InStr(start, Path, QStringLiteral("/"));
            if (p == 0)
                p = vb::InStr(start, Path, QStringLiteral("\\"));
            const QString segment = p > 0 ? vb::Mid(Path, start, p - start) : vb::Mid(Path, start);
            if (Create && !SendCommand(FtpCommand::mkdir(segment)))
                return false;
            if (!SendCommand(FtpCommand::cd(segment)))
                return false;
            if (p == 0)
                return true;
            start = p + 1;
        }
    });
}

namespace {

// The size of a remote file as the server tells it: -1 when it cannot tell
// sizes (a server without SIZE), -2 when the command failed otherwise.
qint64 RemoteSize(const QString& name) {
    setFlags(false, false);
    if (!SendCommand(FtpCommand::size(name))) {
        const qint32 code = FtpLastFailure().code;
        return code == 500 || code == 502 ? -1 : -2;
    }
    const QString text = FtpControl().GetChunk(64, 0).toString();
    bool ok = false;
    const qint64 size = text.toLongLong(&ok);
    return ok ? size : -1;
}

// Deletes what a failed upload left under its temporary name; the failure
// that made it necessary stays the one reported.
void DiscardPart(const QString& part) {
    const FtpFailure failure = lastFailure;
    setFlags(false, false);
    SendCommand(FtpCommand::remove(part));
    lastFailure = failure;
}

// Renames the uploaded file onto its name. A server that will not rename
// onto an existing file gets that file moved aside first ("<name>.old"),
// and back when the rename still fails; the old file is deleted only once
// the new one has its name. The failure reported is the first rename's.
bool RenameOnto(const QString& part, const QString& name) {
    setFlags(false, false);
    if (SendCommand(FtpCommand::rename(part, name)))
        return true;
    const FtpFailure failure = lastFailure;
    const QString aside = name + QStringLiteral(".old");
    bool done = false;
    setFlags(false, false);
    bool restored = true;
    if (SendCommand(FtpCommand::rename(name, aside))) {
        setFlags(false, false);
        done = SendCommand(FtpCommand::rename(part, name));
        setFlags(false, false);
        if (done)
            SendCommand(FtpCommand::remove(aside));
        else
            restored = SendCommand(FtpCommand::rename(aside, name));
    }
    lastFailure = done ? FtpFailure() : failure;
    if (!restored)
        lastFailure.answer += QStringLiteral(" (the server's earlier file is left as ") + aside + QLatin1Char(')');
    return done;
}

}  // namespace

bool FTPcopy_files(bool CreateFolders, const QString& LocalFile, const QString& RemotePath) {
    const Operation operation;
    if (operation.refused())
        return false;
    vb::Handler h(QStringLiteral("FTPcopy_files") + kModule);
    bool sent = false;
    const QString name = sParseFile(RemotePath);
    const QString part = FtpPartName(name);
    qint64 length = 0;
    if (!h.Next(1, [&] { length = platform::FileLen(LocalFile); })) {
        NoteFailure(FtpCommand::send(LocalFile, part), h.Err.Number, h.Err.Description);
        return GiveUp(LangText(26));
    }
    h.Try([&] {
        h.Erl = 2;
        if (!FTP_ini(CreateFolders, sParsePath(RemotePath)))
            return;
        h.Erl = 3;
        setFlags(false, false);
        if (!SendCommand(FtpCommand::send(LocalFile, part))) {
            DiscardPart(part);
            return;
        }
        // A server that dropped the data connection early may still call the
        // transfer complete: what it holds is measured before it counts.
        const qint64 arrived = RemoteSize(part);
        if (arrived == -2 || (arrived >= 0 && arrived != length)) {
            if (arrived >= 0) {
                lastFailure.command = FtpCommand::size(part).Text();
                lastFailure.code = 0;
                lastFailure.answer = QStringLiteral("the server holds %1 of the %2 bytes sent").arg(arrived).arg(length);
                lastFailure.login = false;
            }
            DiscardPart(part);
            return;
        }
        if (!RenameOnto(part, name)) {
            DiscardPart(part);
            return;
        }
        sent = true;
        StatusPost(LangText(27));
        form().lstServerFiles->Clear();
        FTP_Close();
    });
    if (sent)
        return true;
    return GiveUp(LangText(26));
}

QString LocalFolderProblem(const QString& LocalDir) {
    if (LocalDir.trimmed().isEmpty())
        return QStringLiteral("No restore folder is set.");
    const QString host = platform::ToHost(LocalDir);
    if (host.isEmpty())
        return QStringLiteral("The restore folder %1 lies on no drive of this computer.").arg(LocalDir);
    CreateDirectoryStruct(LocalDir);
    if (!DirExists(LocalDir))
        return QStringLiteral("The restore folder %1 cannot be created.").arg(LocalDir);
    if (::access(platform::HostBytes(host).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("The restore folder %1 cannot be written to.").arg(LocalDir);
    return {};
}

bool FTPretrieve_files(const QString& SubPath, const QString& Mask, const QString& LocalDir,
                       const QString& LocalName) {
    const Operation operation;
    if (operation.refused())
        return false;
    vb::Handler h(QStringLiteral("FTPretrieve_files") + kModule);
    bool requested = false;
    bool failed = true;      // the retrieval itself failed (connection, folder, listing)
    bool fileFailed = false; // a file of it did not arrive
    auto reportFile = [&](const QString& entry) {
        fileFailed = true;
        vb::Quiet([&] {
            StatusPost(LangText(26) + QStringLiteral(" ") + entry);
            WriteErrorLog(true, ProgramName, QStringLiteral("FTPretrieve_files") + kModule, 5, lastFailure.code,
                          FtpFailureText(QStringLiteral("download of ") + entry));
        });
    };
    h.Try([&] {
        frmMain_BackUp& f = form();
        // Nothing is fetched into a folder that cannot take it (an empty
        // one would put the files at the top of the drive).
        h.Erl = 1;
        if (const QString problem = LocalFolderProblem(LocalDir); !problem.isEmpty())
            vb::Raise(vb::errPathNotFound, problem);
        h.Erl = 2;
        if (!FTP_ini(false, SubPath))
            return;
        h.Erl = 3;
        setFlags(true, false);
        if (!SendCommand(FtpCommand::dir(Mask)))
            return;
        h.Erl = 4;
        if (f.lstServerFiles->ListCount() == 0) {
            StatusPost(LangText(25));
        } else {
            h.Erl = 5;
            // The listing is read first: the state handler of a download must
            // not see a list that the next listing changed.
            const qint16 count = f.lstServerFiles->ListCount();
            for (int i = 0; i < count; ++i) {
                f.lstServerFiles->setListIndex(i);
                const QString entry = f.lstServerFiles->List(i);
                // A folder of the remote folder is not a file to fetch.
                if (entry.endsWith(QLatin1Char('/')))
                    continue;
                QString localName = LocalName;
                if (LocalName.isEmpty()) {
                    // A listed name becomes a local file name only as it
                    // stands: a server's "..\x" must not reach another folder.
                    if (!SafeLocalName(entry)) {
                        lastFailure = FtpFailure();
                        lastFailure.answer = QStringLiteral("the name cannot be used for a local file");
                        reportFile(entry);
                        continue;
                    }
                    localName = entry;
                } else if (entry != Mask) {
                    continue;
                }
                setFlags(false, true);
                requested = true;
                // One file that cannot be fetched does not end the retrieval:
                // each command logs in anew.
                if (!SendCommand(FtpCommand::get(entry, LocalDir + QLatin1Char('\\') + localName)))
                    reportFile(entry);
            }
        }
        h.Erl = 6;
        f.lstServerFiles->Clear();
        FTP_Close();
        // The status line ends on the failure, not on the disconnection.
        if (fileFailed)
            StatusPost(LangText(26));
        failed = false;
    });
    if (!failed)
        return requested && !fileFailed;
    vb::Quiet([&] {
        const QString text = !lastFailure.command.isEmpty() ? FtpFailureText(QStringLiteral("retrieval of ") + Mask)
                                                            : h.Err.Description;
        WriteErrorLog(true, ProgramName, QStringLiteral("FTPretrieve_files") + kModule, h.Erl,
                      lastFailure.command.isEmpty() ? h.Err.Number : lastFailure.code, text);
    });
    return GiveUp(LangText(26));
}

bool FTPdelete_files(bool CreateFolders, const QString& RemoteName) {
    const Operation operation;
    if (operation.refused())
        return false;
    vb::Handler h(QStringLiteral("FTPdelete_files") + kModule);
    bool deleted = false;
    h.Try([&] {
        if (!FTP_ini(CreateFolders, QString()))
            return;
        setFlags(false, false);
        StatusPost(LangText(24));
        FtpWait(1);
        if (!SendCommand(FtpCommand::remove(RemoteName)))
            return;
        deleted = true;
        form().lstServerFiles->Clear();
        FTP_Close();
    });
    if (deleted)
        return true;
    return GiveUp(LangText(297));
}

bool FTPtest_connection(const QString& SubPath, bool CreateFolders) {
    const Operation operation;
    if (operation.refused())
        return false;
    // The failure is logged under the upload's label, as support knows it.
    vb::Handler h(QStringLiteral("FTPcopy_files") + kModule);
    bool listed = false;
    h.Try([&] {
        if (!FTP_ini(CreateFolders, SubPath))
            return;
        setFlags(true, false);
        if (!SendCommand(FtpCommand::dir()))
            return;
        listed = true;
        FTP_Close();
    });
    if (listed)
        return true;
    return GiveUp(LangText(103));
}

void FTP_Reset() {
    vb::Quiet([] { form().lstServerFiles->Clear(); });
    vb::Quiet([] { StatusPost(LangText(26)); });
    FTP_Close();
}

void FTP_Close() {
    setFlags(false, false);
    vb::Quiet([] { SendCommand(FtpCommand::close()); });
}

void InetFTP_StateChanged(qint16 State) {
    vb::Handler h(QStringLiteral("InetFTP_StateChanged of NRV_InetFTP"));
    auto step = [&](int erl, auto&& f) {
        h.Erl = erl;
        try {
            f();
        } catch (const vb::VbError& e) {
            if (e.number() != platform::icErrStillExecuting)
                h.Log(std::current_exception());
        } catch (...) {
            h.Log(std::current_exception());
        }
    };
    step(1, [&] {
        switch (State) {
        case 0: form().lblFTPstatus->setCaption(QString()); break;
        case 1: StatusPost(LangText(29)); break;
        case 2: StatusPost(LangText(30)); break;
        case 3: StatusPost(LangText(31)); break;
        case 4: StatusPost(LangText(32)); break;
        case 5: StatusPost(LangText(33)); break;
        case 6: StatusPost(LangText(34)); break;
        case 7: StatusPost(LangText(35)); break;
        case 8: StatusPost(LangText(36)); break;
        case 9: StatusPost(LangText(37)); break;
        case 10: StatusPost(LangText(38)); break;
        case 11: {
            const InetControl& inet = FtpControl();
            StatusPost(QString::number(inet.ResponseCode()) + QStringLiteral(": ") + inet.ResponseInfo());
            break;
        }
        case 12: StatusPost(LangText(39)); break;
        default: break;
        }
    });
    if (State == 12) {
        step(2, [&] {
            if (FtpListing) {
                TakeListing(FtpControl());
                FtpListing = false;
                StatusPost(LangText(40));
            } else if (FtpDownloading) {
                // The control wrote the file to the GET's local path.
                FtpDownloading = false;
                vb::DoEvents();
                StatusPost(LangText(41));
            } else {
                StatusPost(LangText(32));
            }
        });
    }
    vb::DoEvents();
}

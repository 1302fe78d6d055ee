// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

// The Internet transfer control: one FTP session of commands or one HTTP
// fetch at a time, on libcurl. Transfers run on the GUI thread, driven by the
// event loop (socket notifiers and a timer), so that the caller's waits,
// timers and the Stop command stay live while bytes move.
//
// FTP: Execute starts one command and returns at once; StillExecuting is true
// until it ended; StateChanged reports its progress (0 to 12: 11 a failure,
// 12 completed), always from the event loop, never from inside Execute. The
// login goes through libcurl's user-name and password options, never into a
// URL or a log. Passive mode. Every command logs in anew, so nothing of a
// failed command lingers; the current remote folder is kept by the control
// and every command starts from the login folder.
//
// A request to end the program (platform::TerminationRequested) ends a
// running upload or download within a second or so, as a failure of its own
// ("the program was asked to end"); the other commands are short and run on.
//
// A listing ("DIR") asks for the names with their kind (MLSD) and marks
// folders with a trailing "/"; from a server that cannot do that it falls
// back to the bare name list (NLST), where folders are not marked.
//
// HTTP: OpenURL fetches the document at URL and returns it as text; the
// event loop runs meanwhile.
namespace platform {

// One FTP command, with its arguments kept apart (names may hold blanks).
struct FtpCommand {
    enum class Verb { Dir, MkDir, Cd, Send, Get, Delete, Rename, Size, Close };
    Verb verb = Verb::Dir;
    QString remote;  // mask (Dir), folder (MkDir, Cd), remote file name (the others)
    QString local;   // local file, a Windows path (Send, Get)
    QString newName; // the name a file is renamed to (Rename)

    static FtpCommand dir(const QString& mask = {}) { return {Verb::Dir, mask, {}, {}}; }
    static FtpCommand mkdir(const QString& folder) { return {Verb::MkDir, folder, {}, {}}; }
    static FtpCommand cd(const QString& folder) { return {Verb::Cd, folder, {}, {}}; }
    static FtpCommand send(const QString& localFile, const QString& remoteName) {
        return {Verb::Send, remoteName, localFile, {}};
    }
    static FtpCommand get(const QString& remoteName, const QString& localPath) {
        return {Verb::Get, remoteName, localPath, {}};
    }
    static FtpCommand remove(const QString& remoteName) { return {Verb::Delete, remoteName, {}, {}}; }
    static FtpCommand rename(const QString& from, const QString& to) { return {Verb::Rename, from, {}, to}; }
    // The size of a remote file in bytes; GetChunk gives it as text, "" when
    // the server cannot tell sizes.
    static FtpCommand size(const QString& remoteName) { return {Verb::Size, remoteName, {}, {}}; }
    static FtpCommand close() { return {Verb::Close, {}, {}, {}}; }

    // The command as the run log shows it: "DIR", "DIR *.zip", "MKDIR a",
    // "CD a", "SEND C:\x.zip x.zip", "GET x.zip C:\t\x.zip", "DELETE  x.zip",
    // "RENAME x.zip.part x.zip", "SIZE x.zip", "CLOSE".
    QString Text() const;
};

// The control's own run-time errors.
enum InetError : int {
    icErrStillExecuting = 35764,   // "Still executing last request"
    icErrCannotConnect = 35754,    // a connection or transfer failure of OpenURL
    icErrTimeout = 35761,          // the request timed out
    icErrHttpStatus = 35765,       // the server answered with an error status
    icErrBadArgument = 35750,      // a name or setting that cannot be sent
};

class InetControl : public QObject {
    Q_OBJECT
public:
    enum Protocol : qint16 { icUnknown = 0, icDefault = 1, icFTP = 2, icHTTP = 4 };
    enum State : qint16 {
        icNone = 0, icResolvingHost, icHostResolved, icConnecting, icConnected, icRequesting,
        icRequestSent, icReceivingResponse, icResponseReceived, icDisconnecting, icDisconnected,
        icError, icResponseCompleted
    };

    explicit InetControl(const QString& name, QObject* parent = nullptr);
    ~InetControl() override;

    qint16 AccessType = 0;       // 0: the system's default access (proxy environment)
    qint32 RequestTimeout = 60;  // seconds without progress before a request is given up
    qint16 Protocol = icFTP;
    qint32 RemotePort = 21;      // 1 to 65535
    QString RemoteHost;          // FTP host (or proxy) name
    QString URL;                 // HTTP document address
    QString UserName;
    QString Password;

    // Starts one FTP command. Raises 35764 while a command runs, 35750 for a
    // name, user or host holding CR, LF or NUL or for a port outside 1 to
    // 65535.
    void Execute(const FtpCommand& command);
    bool StillExecuting() const;
    // The next piece of the last command's result (a listing), at most
    // `size` characters (type 0, a QString) or bytes (type 1, a QByteArray);
    // empty when nothing is left. A download goes into its local file, so it
    // leaves nothing here.
    QVariant GetChunk(qint32 size, qint32 type = 0);
    // The last failure: the server's reply code (100 or more), or libcurl's
    // error number (below 100) where the server gave no refusal, and a text.
    qint32 ResponseCode() const { return responseCode_; }
    // The last command ended in the failure state.
    bool LastRequestFailed() const { return lastFailed_; }
    QString ResponseInfo() const { return responseInfo_; }
    // HTTP fetch of URL: the document as text (UTF-8, or Windows-1252 when it
    // is not valid UTF-8; a byte-order mark dropped). Raises 35765 for an
    // answer of 400 or more, 35761 after RequestTimeout seconds in all
    // (connecting at most 15 of them), 35754 for other failures, 35764 while
    // another request runs. Events keep running meanwhile.
    QString OpenURL();

    // Runs pending events until the running request ends or `ms` passed.
    void WaitForProgress(int ms);

    // The folder the control stands in, relative to the login folder (for
    // tests).
    QString CurrentFolder() const;

signals:
    void StateChanged(qint16 State);
    // The running request ended (before its last state is reported).
    void RequestEnded();

public:
    struct Impl;

private:
    std::unique_ptr<Impl> d;
    qint32 responseCode_ = 0;
    bool lastFailed_ = false;
    QString responseInfo_;
    friend struct Impl;
};

}  // namespace platform

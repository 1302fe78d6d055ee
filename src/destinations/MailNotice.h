// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class frmMain_BackUp;
namespace platform {
class Winsock;
}

// The e-mail notice of a finished archive: a plain-text message over SMTP
// (HELO, MAIL FROM, RCPT TO, DATA; no AUTH, no MIME) with the archive and
// its log attached as uuencode blocks, then, when "chkPOPAuth" is 1, a
// sign-out (QUIT) at the POP3 server. It runs in the main window's socket
// events beside the rest of the run; the main window holds one of these.
//
// The attachments are encoded when the notice starts, into "Temp.dat" in
// the profile's temp folder (owner-only, deleted when the notice ends),
// because the run deletes its temporary files right after starting it. The
// data goes to the socket as the socket drains, with "." doubled at the
// start of a line. Every failure ends the notice alone, with a line in the
// error log; nothing here ends the program or the run.
class MailNotice : public QObject {
    Q_OBJECT
public:
    enum class Phase {
        Idle,
        Connecting,    // waiting for the greeting
        Dialogue,      // HELO .. DATA
        SendingData,   // the message and the attachments go out
        AwaitingSent,  // the end of the data sent, waiting for its 250
        SigningOut,    // at the POP3 server
    };

    explicit MailNotice(frmMain_BackUp* form);
    ~MailNotice() override;

    // The notice of the main window, made on first use unless `create` is
    // false.
    static MailNotice* Of(frmMain_BackUp* form, bool create = true);

    void Start(const QString& archivePath);
    // True while the notice is on its way (including the last bytes of a
    // closing connection).
    bool InFlight() const;
    Phase phase() const { return phase_; }
    // The work file (Windows path) while one exists.
    QString WorkFile() const { return workFile_; }

    // The main window's event handlers call these.
    void OnConnect();
    void OnDataArrival();
    void OnError(qint16 Number, const QString& Description);
    void OnClose();
    void OnTimeout();

    // Gives the notice up: connection closed, work file deleted.
    void Abandon(const QString& why);

    platform::Winsock* sckSMTP = nullptr;

    // The notice state.
    QString serverHost;
    int serverPort = 25;
    QString noticeAddress;
    QString domain;
    QString popServer, popPassword;
    int signOutSwitch = 0;
    QString attachments[11];  // 1..10
    QString lastCommand;
    bool greeted = false;
    bool signedOut = false, signOutFailed = false;
    QString messageText;

private:
    void SendSmtp(const QString& line);
    void HandleReply(const QString& reply);
    void HandlePopReply(const QString& reply);
    void SendMessage();
    void Pump();
    void MessageSent();
    void StartSignOut();
    void EndSignOut(bool failed);
    void CheckSignOutTime();
    void Finish();
    void DeleteWorkFile();
    QByteArray Stuffed(const QByteArray& data);
    bool Encode(const QString& archivePath);

    frmMain_BackUp* form_;
    Phase phase_ = Phase::Idle;
    QByteArray received_;
    std::unique_ptr<QFile> data_;
    bool lineStart_ = true;
    bool quitSent_ = false;
    QString workFile_;
    qint64 signOutDeadline_ = 0;
    QElapsedTimer signOutElapsed_;
    QTimer signOutClock_;
};

// How long the notice waits for the POP3 sign-out and at the program's end
// (on the program's clock, vb::MonotonicMs, and never longer than that in
// real time), and the POP3 port;
// tests change them. The greeting's time-out is tmrtimeout's interval
// (10 s).
struct MailNoticeTimes {
    int signOutMs = 30000;
    int exitWaitMs = 60000;
    int popPort = 110;
};
void SetMailNoticeTimesForTest(const MailNoticeTimes& times);
MailNoticeTimes MailNoticeTimesInUse();

// Every way out of the program calls this first: a notice still on its way
// is given up to a minute to arrive; after that it is given up (and said so
// in the error log). Returns at once when no notice is on its way.
void WaitForMailNotice();

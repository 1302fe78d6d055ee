// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
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
// start of a line.
//
// A notice started while another is on its way waits for it (with its
// attachments already in a work file of its own, "Temp2.dat", ...): each
// volume of a run is announced, in order. Every reply of the server has a
// time limit (MailNoticeTimes::replyMs), and so has the server's taking of
// the data. A notice that fails ends alone: it is something the run was asked
// to do and did not, so it is reported as not delivered (an error-log line,
// and the run's outcome is incomplete) and, when someone is at the window,
// in a message box; nothing here ends the program or the run.
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

    // `ended`, when given, is told once whether this notice arrived (the
    // server took the message) or failed, was refused or given up.
    void Start(const QString& archivePath, std::function<void(bool)> ended = {});
    // Tells `ended` (once: it is emptied) whether its notice arrived.
    static void Ended(std::function<void(bool)>& ended, bool arrived);
    // True while a notice is on its way or waits for its turn (including the
    // last bytes of a closing connection).
    bool InFlight() const;
    // Notices waiting for the one on its way.
    int Waiting() const { return int(queue_.size()); }
    // Counts the notices begun, so that a wait can tell one from the next.
    quint64 Serial() const { return serial_; }
    Phase phase() const { return phase_; }
    // The work file (Windows path) while one exists.
    QString WorkFile() const { return workFile_; }

    // The main window's event handlers call these.
    void OnConnect();
    void OnDataArrival();
    void OnError(qint16 Number, const QString& Description);
    void OnClose();
    void OnTimeout();

    // Gives the notice up: connection closed, work file deleted, reported
    // as not delivered (without a box: the program is ending).
    void Abandon(const QString& why);
    // Gives up the notice on its way and those waiting for their turn.
    void AbandonAll(const QString& why);

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
    // One notice: its settings as read when it was started, and the work
    // file that holds its attachments.
    struct Job {
        QString archivePath, workFile;
        QString serverHost;
        int serverPort = 25;
        QString noticeAddress, domain, popServer, popPassword;
        int signOutSwitch = 0;
        std::function<void(bool)> ended;
    };
    std::function<void(bool)> ended_;   // of the notice on its way
    void Begin(Job job);
    void StartNext();
    // The notice on its way failed: it ends, and the failure is reported.
    // `box` is shown (when someone is at the window) with `style` and
    // `title`; an empty box shows none.
    void Fail(const char* procedure, int erl, int number, const QString& why, const QString& box = {},
              int style = 0, const QString& title = {});
    void Tell(const QString& box, int style, const QString& title);
    void Report(const char* procedure, int erl, int number, const QString& why, const QString& archivePath);
    void Stop();
    void ArmReplyClock();
    void OnReplyTimeout();
    QString FreeWorkFile() const;
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
    bool Encode(Job& job);

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
    QTimer replyClock_;
    std::deque<Job> queue_;
    quint64 serial_ = 0;
};

// How long the notice waits for the POP3 sign-out and, for each notice, at
// the program's end (on the program's clock, vb::MonotonicMs, and never
// longer than that in real time), the POP3 port, and how long the SMTP server
// may take for each reply (and to take more of the data); tests change them.
// The greeting's time-out is tmrtimeout's interval (10 s).
struct MailNoticeTimes {
    int signOutMs = 30000;
    int exitWaitMs = 60000;
    int popPort = 110;
    int replyMs = 60000;
};
void SetMailNoticeTimesForTest(const MailNoticeTimes& times);
MailNoticeTimes MailNoticeTimesInUse();

// Every way out of the program calls this first: each notice still on its
// way (or waiting for its turn) is given up to a minute to arrive; after that
// it is given up (and said so in the error log). Returns at once when no
// notice is on its way.
void WaitForMailNotice();

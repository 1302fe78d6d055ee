// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's e-mail notice of a finished archive.
#include "destinations/MailNotice.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QCoreApplication>

#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_Language.h"
#include "common/RunOutcome.h"
#include "destinations/modUUcode.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/TerminationRequest.h"
#include "platform/Winsock.h"
#include "settings/SettingsKeys.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/Cp1252.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr qint64 kPiece = 8192;
constexpr qint64 kMaxQueued = 1024 * 1024;
constexpr qsizetype kMaxReply = 64 * 1024;
constexpr int kGreetingMs = 10000;

MailNoticeTimes g_times;

QString label(const char* procedure) {
    return QString::fromLatin1(procedure) + QStringLiteral(" of Formular frmMain_BackUp");
}

bool hasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
}

// The reply code: the leading digits of its first three characters.
int replyCode(const QString& reply) {
    int code = 0, i = 0;
    for (; i < 3 && i < reply.size() && reply[i].isDigit(); ++i)
        code = code * 10 + reply[i].digitValue();
    return code;
}

}  // namespace

void SetMailNoticeTimesForTest(const MailNoticeTimes& times) { g_times = times; }
MailNoticeTimes MailNoticeTimesInUse() { return g_times; }

MailNotice::MailNotice(frmMain_BackUp* form) : QObject(form), form_(form) {
    setObjectName(QStringLiteral("MailNotice"));
    sckSMTP = new platform::Winsock(QStringLiteral("sckSMTP"), this);
    connect(sckSMTP, &platform::Winsock::Connected, form, &frmMain_BackUp::sckSMTP_Connect);
    connect(sckSMTP, &platform::Winsock::DataArrival, form, &frmMain_BackUp::sckSMTP_DataArrival);
    connect(sckSMTP, &platform::Winsock::Error, form, &frmMain_BackUp::sckSMTP_Error);
    connect(sckSMTP, &platform::Winsock::Closed, form, &frmMain_BackUp::sckSMTP_Close);
    connect(sckSMTP, &platform::Winsock::SendProgress, this, [this] {
        if (phase_ == Phase::SendingData)
            vb::Quiet([&] {
                ArmReplyClock();  // the server takes the data: it has its time again
                Pump();
            });
    });
    signOutClock_.setInterval(100);
    connect(&signOutClock_, &QTimer::timeout, this, [this] { vb::Quiet([&] { CheckSignOutTime(); }); });
    replyClock_.setSingleShot(true);
    connect(&replyClock_, &QTimer::timeout, this, [this] { vb::Quiet([&] { OnReplyTimeout(); }); });
}

MailNotice::~MailNotice() {
    data_.reset();
    DeleteWorkFile();
    for (const Job& job : queue_)
        vb::Quiet([&] { QFile::remove(platform::ToHost(job.workFile)); });
}

MailNotice* MailNotice::Of(frmMain_BackUp* form, bool create) {
    if (!form)
        return nullptr;
    MailNotice* n = form->findChild<MailNotice*>(QStringLiteral("MailNotice"), Qt::FindDirectChildrenOnly);
    if (!n && create)
        n = new MailNotice(form);
    return n;
}

bool MailNotice::InFlight() const {
    return phase_ != Phase::Idle || !queue_.empty() || sckSMTP->State() == platform::Winsock::sckClosing;
}

void MailNotice::Ended(std::function<void(bool)>& ended, bool arrived) {
    std::function<void(bool)> tell;
    tell.swap(ended);
    if (tell)
        vb::Quiet([&] { tell(arrived); });
}

void MailNotice::Start(const QString& archivePath, std::function<void(bool)> ended) {
    vb::Handler h(label("SendMailNotice"));
    Job job;
    job.archivePath = archivePath;
    job.ended = std::move(ended);
    if (!h.Next(2, [&] {
            job.serverHost = settings::ReadUser(QStringLiteral("txtSMTPserver"), QString()).trimmed();
            job.serverPort = int(vb::Val(settings::ReadUser(QStringLiteral("txtSMTPport"), QStringLiteral("25"))));
            job.noticeAddress = settings::ReadProfile(QStringLiteral("txtSMTPeMail"), QString()).trimmed();
            job.domain = settings::ReadUser(QStringLiteral("txtDomain"), QString()).trimmed();
            job.popServer = settings::ReadUser(QStringLiteral("txtPOPserver"), QString()).trimmed();
            job.signOutSwitch = int(vb::Val(settings::ReadUser(QStringLiteral("chkPOPAuth"), QStringLiteral("0"))));
            job.popPassword = settings::ReadUser(QStringLiteral("txtPass"), QString());
        })) {
        MarkIncomplete();  // the handler logged why
        Ended(job.ended, false);
        return;
    }

    // Text that goes into a command line must not carry a line break of its
    // own: it would become a command of its own.
    QString refused;
    if (hasLineBreak(job.noticeAddress) || hasLineBreak(UserEmail))
        refused = QStringLiteral("The e-mail address holds a line break");
    else if (hasLineBreak(job.domain))
        refused = QStringLiteral("The domain holds a line break");
    else if (hasLineBreak(archivePath))
        refused = QStringLiteral("The attachment's name holds a line break");
    else if (job.serverPort < 1 || job.serverPort > 65535)
        refused = QStringLiteral("The SMTP port %1 is not between 1 and 65535").arg(job.serverPort);
    if (!refused.isEmpty()) {
        Report("SendMailNotice", 3, vb::errInvalidCall, refused, archivePath);
        Ended(job.ended, false);
        return;
    }

    if (!h.Next(4, [&] {
            if (!Encode(job))
                vb::Raise(vb::errPathFileAccess, QStringLiteral("The attachments could not be prepared"));
        })) {
        QFile::remove(platform::ToHost(job.workFile));
        MarkIncomplete();  // the handler logged why
        Ended(job.ended, false);
        return;
    }
    // One notice at a time: a later one waits for its turn.
    if (phase_ == Phase::Idle && queue_.empty())
        Begin(std::move(job));
    else
        queue_.push_back(std::move(job));
}

void MailNotice::Begin(Job job) {
    vb::Handler h(label("SendMailNotice"));
    ++serial_;
    serverHost = job.serverHost;
    serverPort = job.serverPort;
    noticeAddress = job.noticeAddress;
    domain = job.domain;
    popServer = job.popServer;
    popPassword = job.popPassword;
    signOutSwitch = job.signOutSwitch;
    workFile_ = job.workFile;
    Ended(ended_, false);   // (none is left by a notice that ended)
    ended_ = std::move(job.ended);
    signedOut = signOutFailed = false;
    quitSent_ = false;
    greeted = false;
    for (QString& a : attachments)
        a.clear();
    attachments[1] = job.archivePath;
    attachments[2] = job.archivePath + QStringLiteral(".log");
    h.Next(5, [&] {
        phase_ = Phase::Connecting;
        received_.clear();
        sckSMTP->Connect(serverHost, serverPort);
    });
    h.Next(6, [&] {
        form_->tmrtimeout->setInterval(kGreetingMs);
        form_->tmrtimeout->setEnabled(true);
    });
}

// The next waiting notice, once the one before has ended (out of the
// socket's own event, which may still be on the stack).
void MailNotice::StartNext() {
    if (queue_.empty())
        return;
    QTimer::singleShot(0, this, [this] {
        vb::Quiet([&] {
            if (phase_ != Phase::Idle || queue_.empty())
                return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            Begin(std::move(job));
        });
    });
}

// A work file name that no notice holds: "Temp.dat", then "Temp2.dat", ...
QString MailNotice::FreeWorkFile() const {
    const QString folder = sFixDirString(form_->txtPathTemp->Text());
    for (int n = 1;; ++n) {
        const QString name =
            folder + (n == 1 ? QStringLiteral("Temp.dat") : QStringLiteral("Temp%1.dat").arg(n));
        bool held = phase_ != Phase::Idle && name == workFile_;
        for (const Job& job : queue_)
            held = held || name == job.workFile;
        if (!held)
            return name;
    }
}

// The attachment blocks, one after another, in a new work file.
bool MailNotice::Encode(Job& job) {
    job.workFile = FreeWorkFile();
    QFile work(platform::ToHost(job.workFile));
    if (work.fileName().isEmpty() || !work.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    work.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    work.close();
    for (const QString& attachment : {job.archivePath, job.archivePath + QStringLiteral(".log")}) {
        if (attachment.isEmpty() || !FileExists(attachment))
            continue;
        const int err = UUEncodeFile(attachment, job.workFile, true);
        if (err != 0) {
            WriteErrorLog(true, ProgramName, label("SendMailNotice"), 4, err,
                          vb::StandardErrorText(err) + QStringLiteral(": ") + attachment);
            return false;
        }
    }
    return true;
}

void MailNotice::SendSmtp(const QString& line) {
    lastCommand = vb::Left(vb::Trim(line), 4);
    sckSMTP->SendData(vb::EncodeCp1252(line));
    ArmReplyClock();
}

// The server's time for its next reply starts again.
void MailNotice::ArmReplyClock() {
    replyClock_.setInterval(g_times.replyMs);
    replyClock_.start();
}

void MailNotice::OnReplyTimeout() {
    if (phase_ != Phase::Dialogue && phase_ != Phase::SendingData && phase_ != Phase::AwaitingSent)
        return;
    const QString what = phase_ == Phase::SendingData
                             ? QStringLiteral("The mail server %1 took none of the message for %2 seconds")
                             : QStringLiteral("The mail server %1 did not answer within %2 seconds");
    form_->txtNews->setText(LangText(272));
    Fail("sckSMTP_DataArrival", 4, platform::Winsock::sckTimedOut, what.arg(serverHost).arg(g_times.replyMs / 1000),
         LangText(272), platform::vbCritical, LangText(16));
}

void MailNotice::OnConnect() { form_->txtNews->setText(QStringLiteral("Connected to server")); }

void MailNotice::OnDataArrival() {
    received_ += sckSMTP->GetData();
    // Replies are whole lines; a reply of several lines ("250-...") is
    // complete at its line "250 ..." (or "250" alone).
    QStringList lines;
    for (;;) {
        const qsizetype end = received_.indexOf("\r\n");
        if (end < 0)
            break;
        const QString line = vb::DecodeCp1252(QByteArrayView(received_).first(end));
        received_.remove(0, end + 2);
        lines << line;
        const bool more = line.size() >= 4 && replyCode(line) >= 100 && line[3] == QLatin1Char('-');
        if (more)
            continue;
        const QString reply = lines.join(kCrLf);
        lines.clear();
        const quint64 serial = serial_;
        HandleReply(reply);
        if (phase_ == Phase::Idle || serial != serial_)
            return;  // the notice ended; what follows is of no use
    }
    // Lines of an unfinished reply wait for the rest.
    if (!lines.isEmpty())
        received_.prepend((lines.join(kCrLf) + kCrLf).toLatin1());
    if (received_.size() > kMaxReply)
        Abandon(QStringLiteral("The server's reply is too long"));
}

void MailNotice::HandleReply(const QString& reply) {
    if (phase_ == Phase::SigningOut) {
        HandlePopReply(reply);
        return;
    }
    const int code = replyCode(reply);
    if (code == 220) {
        if (!greeted) {
            greeted = true;
            form_->tmrtimeout->setEnabled(false);
            phase_ = Phase::Dialogue;
            SendSmtp(QStringLiteral("HELO <") + domain + QStringLiteral(">") + kCrLf);
        }
    } else if (code == 250) {
        if (lastCommand == QLatin1String("HELO")) {
            SendSmtp(QStringLiteral("MAIL FROM: <") + noticeAddress + QStringLiteral(">") + kCrLf);
            form_->txtNews->setText(LangText(253));
        } else if (lastCommand == QLatin1String("MAIL")) {
            SendSmtp(QStringLiteral("RCPT TO: <") + noticeAddress + QStringLiteral(">") + kCrLf);
            form_->txtNews->setText(LangText(254));
        } else if (lastCommand == QLatin1String("RCPT")) {
            form_->txtNews->setText(LangText(255));
            SendSmtp(QStringLiteral("DATA") + kCrLf);
        } else if (lastCommand == QLatin1String("DATE") && phase_ == Phase::AwaitingSent) {
            MessageSent();
        }
    } else if (code == 251) {
        if (lastCommand == QLatin1String("RCPT")) {
            SendSmtp(QStringLiteral("DATA") + kCrLf);
            form_->txtNews->setText(LangText(259) + QStringLiteral("###fehlt"));
        }
    } else if (code == 354) {
        if (lastCommand == QLatin1String("DATA"))
            SendMessage();
    } else if (code >= 400) {
        form_->txtNews->setText(LangText(267));
        Fail("sckSMTP_DataArrival", 1, code, reply, vb::Mid(reply, 4), platform::vbInformation, LangText(266));
        return;
    }
    if (vb::Left(reply, 4) == QLatin1String("-ERR"))
        Tell(QStringLiteral("Error ") + vb::Mid(reply, 5) + QStringLiteral(" at POP Server"), platform::vbCritical,
             QStringLiteral("Error from server"));
}

// The message: its head and text, then the attachment blocks as they stand,
// fed to the socket as it drains, then the end of the data.
void MailNotice::SendMessage() {
    form_->txtNews->setText(LangText(260));
    const QDateTime now = vb::Now();
    const QString from = UserEmail.isEmpty() ? noticeAddress : UserEmail;
    const QString to = noticeAddress.isEmpty() ? UserEmail : noticeAddress;
    messageText = QStringLiteral("DATE: ") + vb::Format(now, QStringLiteral("dd mmm yy ttttt")) + kCrLf +
                  QStringLiteral("FROM: ") + from + kCrLf + QStringLiteral("TO: ") + to + kCrLf +
                  QStringLiteral("SUBJECT: ") + LangText(261) + kCrLf + kCrLf + LangText(262) + kCrLf + kCrLf +
                  LangText(263) + QStringLiteral(" ") + vb::GeneralDateText(now);
    lineStart_ = true;
    lastCommand = QStringLiteral("DATE");
    phase_ = Phase::SendingData;
    sckSMTP->SendData(Stuffed(vb::EncodeCp1252(messageText)));
    ArmReplyClock();
    form_->txtNews->setText(LangText(264));
    data_ = std::make_unique<QFile>(platform::ToHost(workFile_));
    if (!data_->open(QIODevice::ReadOnly)) {
        data_.reset();
        Fail("sckSMTP_DataArrival", 6, vb::errPathFileAccess,
             QStringLiteral("The attachment file cannot be read: ") + workFile_);
        return;
    }
    Pump();
}

void MailNotice::Pump() {
    while (phase_ == Phase::SendingData && data_ && sckSMTP->BytesQueued() < kMaxQueued) {
        const QByteArray piece = data_->read(kPiece);
        if (piece.isEmpty()) {
            if (!data_->atEnd()) {
                Fail("sckSMTP_DataArrival", 6, vb::errPathFileAccess,
                     QStringLiteral("The attachment file cannot be read: ") + workFile_);
                return;
            }
            sckSMTP->SendData(QByteArrayLiteral("\r\n.\r\n"));
            data_.reset();
            phase_ = Phase::AwaitingSent;
            ArmReplyClock();
            form_->txtNews->setText(LangText(265));
            return;
        }
        sckSMTP->SendData(Stuffed(piece));
    }
}

// A line of the data that starts with "." gets a second one, so that the
// server does not take it for the end of the data.
QByteArray MailNotice::Stuffed(const QByteArray& data) {
    QByteArray out;
    out.reserve(data.size() + data.size() / 32);
    for (const char c : data) {
        if (lineStart_ && c == '.')
            out += '.';
        out += c;
        lineStart_ = c == '\n';
    }
    return out;
}

void MailNotice::MessageSent() {
    form_->txtNews->setText(LangText(256));
    phase_ = Phase::Idle;
    replyClock_.stop();
    sckSMTP->Close();
    greeted = false;
    DeleteWorkFile();
    // The notice arrived: a sign-out that fails after it changes nothing.
    Ended(ended_, true);
    if (signOutSwitch == 1)
        StartSignOut();
    else
        StartNext();
}

void MailNotice::StartSignOut() {
    phase_ = Phase::SigningOut;
    quitSent_ = false;
    received_.clear();
    sckSMTP->Connect(popServer, g_times.popPort);
    lastCommand = QStringLiteral("SignOut");
    signOutDeadline_ = vb::MonotonicMs() + g_times.signOutMs;
    signOutElapsed_.start();
    signOutClock_.start();
}

void MailNotice::HandlePopReply(const QString& reply) {
    if (vb::Left(reply, 3) == QLatin1String("+OK") && lastCommand == QLatin1String("SignOut")) {
        if (!quitSent_) {
            // The first "+OK" is the server's greeting.
            sckSMTP->SendData(QByteArrayLiteral("QUIT\r\n"));
            quitSent_ = true;
            signedOut = true;
            EndSignOut(false);
        }
        return;
    }
    if (vb::Left(reply, 4) == QLatin1String("-ERR")) {
        EndSignOut(true);
        WriteErrorLog(true, ProgramName, label("sckSMTP_DataArrival"), 2, 0, reply);
        Tell(QStringLiteral("Error ") + vb::Mid(reply, 5) + QStringLiteral(" at POP Server"), platform::vbCritical,
             QStringLiteral("Error from server"));
    }
}

// The sign-out comes after the notice arrived: its failure is told, and the
// notice stays delivered.
void MailNotice::EndSignOut(bool failed) {
    if (phase_ != Phase::SigningOut)
        return;
    signOutClock_.stop();
    if (failed)
        signOutFailed = true;
    phase_ = Phase::Idle;
    form_->txtNews->setText(LangText(failed ? 257 : 258));
    // What was queued (the QUIT) still goes out before the connection closes.
    sckSMTP->Close();
    StartNext();
}

void MailNotice::CheckSignOutTime() {
    if (phase_ != Phase::SigningOut) {
        signOutClock_.stop();
        return;
    }
    // The program's clock, or the real one where a test holds the program's
    // clock still.
    if (vb::MonotonicMs() < signOutDeadline_ && signOutElapsed_.elapsed() < g_times.signOutMs)
        return;
    EndSignOut(true);
    WriteErrorLog(true, ProgramName, label("sckSMTP_DataArrival"), 3, platform::Winsock::sckTimedOut,
                  QStringLiteral("The POP3 server did not answer within %1 seconds").arg(g_times.signOutMs / 1000));
}

void MailNotice::OnError(qint16 Number, const QString& Description) {
    const QString box =
        LangText(271) + QStringLiteral(" [") + QString::number(Number) + QStringLiteral("] : ") + Description;
    if (phase_ == Phase::SigningOut) {
        EndSignOut(true);
        WriteErrorLog(true, ProgramName, label("sckSMTP_Error"), 1, Number, Description);
        Tell(box, platform::vbCritical, LangText(16));
        return;
    }
    if (phase_ == Phase::Idle) {
        sckSMTP->Close();
        return;
    }
    Fail("sckSMTP_Error", 1, Number, Description, box, platform::vbCritical, LangText(16));
}

void MailNotice::OnClose() {
    sckSMTP->Close();
    if (phase_ == Phase::SigningOut) {
        // After the QUIT the server closes: that is the sign-out.
        EndSignOut(!quitSent_);
        return;
    }
    if (phase_ != Phase::Idle)
        Fail("sckSMTP_Close", 1, platform::Winsock::sckConnectionReset,
             QStringLiteral("The server closed the connection before the notice was sent"), LangText(267),
             platform::vbCritical, LangText(16));
}

void MailNotice::OnTimeout() {
    form_->tmrtimeout->setEnabled(false);
    if (phase_ != Phase::Connecting)
        return;
    form_->txtNews->setText(LangText(272));
    Fail("tmrtimeout_Timer", 1, platform::Winsock::sckTimedOut,
         QStringLiteral("The SMTP server %1 did not greet within %2 seconds")
             .arg(serverHost)
             .arg(form_->tmrtimeout->Interval() / 1000),
         LangText(272), platform::vbCritical, LangText(16));
}

void MailNotice::Abandon(const QString& why) {
    if (phase_ == Phase::SigningOut) {
        EndSignOut(true);
        WriteErrorLog(true, ProgramName, label("SendMailNotice"), 9, 0, why);
        return;
    }
    if (phase_ != Phase::Idle)
        Fail("SendMailNotice", 9, 0, why);
}

void MailNotice::AbandonAll(const QString& why) {
    while (!queue_.empty()) {
        Job job = std::move(queue_.front());
        queue_.pop_front();
        vb::Quiet([&] { QFile::remove(platform::ToHost(job.workFile)); });
        Report("SendMailNotice", 9, 0, why, job.archivePath);
        Ended(job.ended, false);
    }
    Abandon(why);
}

// Ends the notice on its way: connection closed, clocks stopped, work file
// deleted.
void MailNotice::Stop() {
    phase_ = Phase::Idle;
    signOutClock_.stop();
    replyClock_.stop();
    data_.reset();
    sckSMTP->Close();
    greeted = false;
    DeleteWorkFile();
    form_->tmrtimeout->setEnabled(false);
}

void MailNotice::Fail(const char* procedure, int erl, int number, const QString& why, const QString& box, int style,
                      const QString& title) {
    const QString archive = attachments[1];
    Stop();
    Report(procedure, erl, number, why, archive);
    Ended(ended_, false);
    if (!box.isEmpty())
        Tell(box, style, title);
    StartNext();
}

// Someone at the window sees it; an unattended run has its error log and its
// exit status, and waits for no click.
void MailNotice::Tell(const QString& box, int style, const QString& title) {
    if (!RunMode)
        platform::MsgBox(box, style, title);
}

void MailNotice::Report(const char* procedure, int erl, int number, const QString& why,
                        const QString& archivePath) {
    ReportNotBackedUp(label(procedure), erl, number, why,
                      QStringLiteral("the e-mail notice of ") + sParseFile(archivePath));
}

void MailNotice::DeleteWorkFile() {
    if (workFile_.isEmpty())
        return;
    const QString host = platform::ToHost(workFile_);
    if (!host.isEmpty())
        QFile::remove(host);
    workFile_.clear();
}

// --- the main window's side -------------------------------------------

void frmMain_BackUp::SendMailNotice(const QString& ArchivePath, std::function<void(bool)> ended) {
    vb::Handler h(label("SendMailNotice"));
    // Told once, also when the start itself fails.
    auto pending = std::make_shared<std::function<void(bool)>>(std::move(ended));
    auto tell = [pending](bool arrived) { MailNotice::Ended(*pending, arrived); };
    if (!h.Try([&] { MailNotice::Of(this)->Start(ArchivePath, tell); })) {
        MarkIncomplete();   // the handler logged why
        tell(false);
    }
}

void frmMain_BackUp::sckSMTP_Connect() {
    vb::Handler h(label("sckSMTP_Connect"));
    h.Try([&] { MailNotice::Of(this)->OnConnect(); });
}

void frmMain_BackUp::sckSMTP_DataArrival(qint32 bytesTotal) {
    vb::Handler h(label("sckSMTP_DataArrival"));
    MailNotice* n = MailNotice::Of(this);
    if (!h.Try([&] { n->OnDataArrival(); }))
        vb::Quiet([&] { n->Abandon(h.Err.Description); });
}

void frmMain_BackUp::sckSMTP_Error(qint16 Number, const QString& Description) {
    vb::Handler h(label("sckSMTP_Error"));
    h.Try([&] { MailNotice::Of(this)->OnError(Number, Description); });
}

void frmMain_BackUp::sckSMTP_Close() {
    vb::Handler h(label("sckSMTP_Close"));
    h.Try([&] { MailNotice::Of(this)->OnClose(); });
}

void frmMain_BackUp::tmrtimeout_Timer() {
    vb::Handler h(label("tmrtimeout_Timer"));
    h.Try([&] { MailNotice::Of(this)->OnTimeout(); });
}

void WaitForMailNotice() {
    vb::Handler h(QStringLiteral("WaitForMailNotice of Modul Vaultora_Main"));
    h.Try([&] {
        MailNotice* n = MailNotice::Of(fMainForm, false);
        if (!n || !n->InFlight() || !QCoreApplication::instance())
            return;
        // Each notice has its own time: the clock starts again when the next
        // one begins.
        quint64 serial = n->Serial();
        qint64 deadline = vb::MonotonicMs() + g_times.exitWaitMs;
        QElapsedTimer elapsed;
        elapsed.start();
        while (n->InFlight()) {
            // Asked to end (the session ends, a service manager stops the
            // program): nothing more is waited for.
            if (platform::TerminationRequested()) {
                n->AbandonAll(QStringLiteral("The e-mail notice was given up: the program was asked to end"));
                break;
            }
            if (n->Serial() != serial) {
                serial = n->Serial();
                deadline = vb::MonotonicMs() + g_times.exitWaitMs;
                elapsed.restart();
            }
            if (vb::MonotonicMs() >= deadline || elapsed.elapsed() >= g_times.exitWaitMs) {
                if (n->phase() == MailNotice::Phase::Idle && n->Waiting() > 0)
                    break;  // the next one never began: no event loop to begin it in
                n->Abandon(QStringLiteral("The e-mail notice was given up: the program ends"));
                deadline = vb::MonotonicMs() + g_times.exitWaitMs;
                elapsed.restart();
                continue;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
        }
    });
}

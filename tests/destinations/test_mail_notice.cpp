// SPDX-License-Identifier: GPL-3.0-or-later
// The e-mail notice against scripted SMTP and POP3 peers in the test
// process: the client's exact lines, the replies it meets, the time-outs,
// the attachments as they arrive, and the wait at the program's end.
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "common/RunOutcome.h"
#include "destinations/MailNotice.h"
#include "destinations/NRV_modShutDown.h"
#include "destinations/FormTest.h"
#include "destinations/MailPeers.h"
#include "destinations/UUDecode.h"
#include "platform/SessionEnder.h"
#include "platform/Winsock.h"
#include "settings/SettingsKeys.h"
#include "support/TestEnv.h"

using mailpeer::RunUntil;
using mailpeer::ScriptedPeer;

namespace {

QString Win(const QString& host) { return platform::ToWindows(host); }

// The data as the server reads it: a doubled "." at a line's start undone.
QByteArray Unstuffed(const QByteArray& data) {
    QByteArray out;
    bool lineStart = true;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (lineStart && data[i] == '.' && i + 1 < data.size() && data[i + 1] == '.')
            ++i;
        out += data[i];
        lineStart = data[i] == '\n';
    }
    return out;
}

// Some line of the data starts with a single "." (which would end it).
bool HasBareDotLine(const QByteArray& data) {
    for (const QByteArray& line : data.split('\n'))
        if (line.startsWith('.') && !line.startsWith(".."))
            return true;
    return false;
}

}  // namespace

class MailNoticeTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        temp = testenv::tempDir("mailtemp");
        form->cmbProfiles->setText("P");
        form->txtPathTemp->setText(Win(temp));
        settings::WriteUser("txtSMTPserver", "127.0.0.1");
        settings::WriteProfile("txtSMTPeMail", "backup@example.org");
        settings::WriteUser("txtDomain", "example.org");
        settings::WriteUser("chkPOPAuth", "0");
        settings::WriteUser("txtPOPserver", "127.0.0.1");
        QFile::remove(ErrorLogFile());
    }
    void TearDown() override {
        FormTest::TearDown();
        SetMailNoticeTimesForTest({});
    }

    void Use(const ScriptedPeer& peer) { settings::WriteUser("txtSMTPport", QString::number(peer.port())); }

    // An archive and its log in the temp folder; the archive's Windows path.
    QString Archive(const QByteArray& zip, const QByteArray& log) {
        testenv::writeFile(temp + "/P_BackUp_1.zip", zip);
        testenv::writeFile(temp + "/P_BackUp_1.zip.log", log);
        return Win(temp + "/P_BackUp_1.zip");
    }

    MailNotice* notice() { return MailNotice::Of(form.get()); }
    bool Ended() { return !notice()->InFlight(); }
    QString News() { return form->txtNews->Text(); }
    static QString ErrorLogFile() { return testenv::commonDir() + "/error.log"; }
    static QString ErrorLog() { return QString::fromUtf8(testenv::readFile(ErrorLogFile())); }
    bool TempDatLeft() const { return QFile::exists(temp + "/Temp.dat"); }

    QString temp;
};

TEST_F(MailNoticeTest, TheDialogueAndTheMessageWithBothAttachments) {
    ScriptedPeer peer;
    Use(peer);
    vb::SetClockForTest(QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)), true);
    // 59 = 45 + 14 bytes: the last line of the block starts with ".".
    const QByteArray zip = testenv::randomBytes(59, 3), log = "\"C:\\Data\\a.txt\"\r\n";
    form->SendMailNotice(Archive(zip, log));
    // The attachments are in the work file before the call returns; it is
    // its owner's only, as it holds a copy of the archive.
    EXPECT_TRUE(TempDatLeft());
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_EQ(QFile::permissions(temp + "/Temp.dat") & others, QFile::Permissions());
    EXPECT_TRUE(form->tmrtimeout->Enabled());
    EXPECT_EQ(form->tmrtimeout->Interval(), 10000);
    ASSERT_TRUE(RunUntil([&] { return Ended(); }));

    EXPECT_EQ(peer.commands, QList<QByteArray>({"HELO example.org", "MAIL FROM:<backup@example.org>",
                                                "RCPT TO:<backup@example.org>", "DATA"}));
    ASSERT_TRUE(peer.dataEnded);
    EXPECT_FALSE(HasBareDotLine(peer.data));
    const QByteArray message = Unstuffed(peer.data);
    const QList<QByteArray> lines = message.split('\n');
    ASSERT_GE(lines.size(), 8);
    EXPECT_TRUE(lines[0].startsWith("DATE: 07 Mar 26 ")) << lines[0].constData();
    EXPECT_EQ(lines[1], "FROM: backup@example.org\r");  // no address of the user's own: the notice address
    EXPECT_EQ(lines[2], "TO: backup@example.org\r");
    EXPECT_EQ(lines[3], ("SUBJECT: " + LangText(261)).toLatin1() + "\r");
    EXPECT_EQ(lines[5], LangText(262).toLatin1() + "\r");
    EXPECT_TRUE(lines[7].startsWith((LangText(263) + " ").toLatin1()));
    EXPECT_EQ(lines[8], "begin 600 P_BackUp_1.zip\r");
    const QMap<QString, QByteArray> files = uu::DecodedWithPython(message);
    EXPECT_EQ(files.value("P_BackUp_1.zip"), zip);
    EXPECT_EQ(files.value("P_BackUp_1.zip.log"), log);
    EXPECT_EQ(files.size(), 2);

    EXPECT_EQ(News(), LangText(256));
    EXPECT_EQ(peer.connections, 1);  // no sign-out with the switch at 0
    EXPECT_FALSE(TempDatLeft());
    EXPECT_EQ(notice()->sckSMTP->State(), platform::Winsock::sckClosed);
    EXPECT_TRUE(platform::Dialogs::shown().isEmpty());
    EXPECT_FALSE(QFile::exists(ErrorLogFile())) << ErrorLog().toStdString();
}

TEST_F(MailNoticeTest, RepliesInPiecesMultiLineRepliesAndASecondGreeting) {
    ScriptedPeer peer("220-peer.example.org\r\n220 ready\r\n");
    peer.answer = [&peer](const QByteArray& line) -> QByteArray {
        if (line.startsWith("HELO")) {
            // The code comes in one segment, its end in the next, then a
            // second greeting that must not be answered.
            QTimer::singleShot(30, &peer, [&peer] { peer.Send("0 hello\r\n220 again\r\n"); });
            return "25";
        }
        if (line.startsWith("MAIL"))
            return "250-first\r\n250-second\r\n250 ok\r\n";
        if (line.startsWith("RCPT"))
            return "251 will forward\r\n";  // taken like 250
        if (line == "DATA")
            return "354 go\r\n";
        return "500 no\r\n";
    };
    Use(peer);
    form->SendMailNotice(Archive("x", "y"));
    ASSERT_TRUE(RunUntil([&] { return Ended(); }));
    EXPECT_EQ(peer.commands, QList<QByteArray>({"HELO example.org", "MAIL FROM:<backup@example.org>",
                                                "RCPT TO:<backup@example.org>", "DATA"}));
    EXPECT_TRUE(peer.dataEnded);
    EXPECT_EQ(News(), LangText(256));
}

TEST_F(MailNoticeTest, AnErrorReplyShowsTheServersTextAndEndsTheNotice) {
    ScriptedPeer peer;
    peer.answer = [](const QByteArray& line) -> QByteArray {
        if (line.startsWith("RCPT"))
            return "550 5.1.1 no such user\r\n";
        return "250 ok\r\n";
    };
    Use(peer);
    form->SendMailNotice(Archive("x", "y"));
    ASSERT_TRUE(RunUntil([&] { return Ended() && peer.clientClosed; }));
    EXPECT_EQ(peer.commands.size(), 3);  // no DATA
    ASSERT_EQ(platform::Dialogs::shown().size(), 1);
    const auto& box = platform::Dialogs::shown().first();
    EXPECT_EQ(box.prompt, " 5.1.1 no such user");
    EXPECT_EQ(box.title, LangText(266));
    EXPECT_EQ(box.style, platform::vbInformation);
    EXPECT_EQ(News(), LangText(267));
    EXPECT_FALSE(TempDatLeft());
    EXPECT_TRUE(ErrorLog().contains("550 5.1.1 no such user"));
}

TEST_F(MailNoticeTest, AServerThatNeverGreetsTimesOut) {
    ScriptedPeer peer("");
    Use(peer);
    form->SendMailNotice(Archive("x", "y"));
    ASSERT_TRUE(RunUntil([&] { return peer.connections == 1; }));
    EXPECT_EQ(form->tmrtimeout->Interval(), 10000);
    // Ten seconds pass (shortened: the timer starts again with 50 ms).
    form->tmrtimeout->setInterval(50);
    ASSERT_TRUE(RunUntil([&] { return Ended(); }, 5000));
    EXPECT_EQ(News(), LangText(272));
    EXPECT_FALSE(form->tmrtimeout->Enabled());
    EXPECT_TRUE(peer.commands.isEmpty());
    EXPECT_FALSE(TempDatLeft());
    EXPECT_TRUE(RunUntil([&] { return peer.clientClosed; }));
    EXPECT_TRUE(ErrorLog().contains("tmrtimeout_Timer of Formular frmMain_BackUp"));
}

TEST_F(MailNoticeTest, AConnectionThatFailsIsReportedWithTheWinsockNumber) {
    struct Case {
        QString host;
        int port;
        int number;
    };
    quint16 closedPort = 0;
    {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost, 0);
        closedPort = s.serverPort();
    }
    for (const Case& c : std::vector<Case>{{"127.0.0.1", closedPort, 10061}, {"", 25, 11001}}) {
        platform::Dialogs::scriptAnswers({});
        settings::WriteUser("txtSMTPserver", c.host);
        settings::WriteUser("txtSMTPport", QString::number(c.port));
        form->SendMailNotice(Archive("x", "y"));
        ASSERT_TRUE(RunUntil([&] { return Ended(); }));
        ASSERT_EQ(platform::Dialogs::shown().size(), 1) << c.number;
        const auto& box = platform::Dialogs::shown().first();
        EXPECT_TRUE(box.prompt.startsWith(LangText(271) + " [" + QString::number(c.number) + "] : "))
            << box.prompt.toStdString();
        EXPECT_EQ(box.title, LangText(16));
        EXPECT_EQ(box.style, platform::vbCritical);
        EXPECT_FALSE(TempDatLeft());
        EXPECT_TRUE(ErrorLog().contains("sckSMTP_Error of Formular frmMain_BackUp"));
    }
}

TEST_F(MailNoticeTest, UnsafeOrImpossibleSettingsRefuseTheNotice) {
    ScriptedPeer peer;
    struct Case {
        const char* key;
        QString value;
        bool profile;
    };
    const std::vector<Case> cases = {
        {"txtSMTPeMail", "a@example.org>\r\nRCPT TO: <b@example.org", true},
        {"txtDomain", "x\nDATA", false},
        {"txtSMTPport", "0", false},
        {"txtSMTPport", "65536", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Use(peer);
        settings::WriteProfile("txtSMTPeMail", "backup@example.org");
        settings::WriteUser("txtDomain", "example.org");
        if (c.profile)
            settings::WriteProfile(c.key, c.value);
        else
            settings::WriteUser(c.key, c.value);
        QFile::remove(ErrorLogFile());
        form->SendMailNotice(Archive("x", "y"));
        EXPECT_TRUE(Ended());
        EXPECT_FALSE(TempDatLeft());
        EXPECT_TRUE(ErrorLog().contains("SendMailNotice of Formular frmMain_BackUp"));
    }
    RunUntil([] { return false; }, 100);
    EXPECT_EQ(peer.connections, 0);
}

TEST_F(MailNoticeTest, ALargeAttachmentIsFedAsTheSocketDrains) {
    ScriptedPeer peer;
    Use(peer);
    const QByteArray zip = testenv::randomBytes(3 * 1024 * 1024, 11);
    form->SendMailNotice(Archive(zip, "log"));
    qint64 mostQueued = 0;
    ASSERT_TRUE(RunUntil([&] {
        mostQueued = qMax(mostQueued, notice()->sckSMTP->BytesQueued());
        return Ended();
    }, 60000));
    EXPECT_LE(mostQueued, 1024 * 1024 + 2 * 8192 + 4096);
    const QMap<QString, QByteArray> files = uu::DecodedWithPython(Unstuffed(peer.data));
    EXPECT_EQ(files.value("P_BackUp_1.zip"), zip);
}

TEST_F(MailNoticeTest, ThePop3SignOut) {
    ScriptedPeer smtp;
    Use(smtp);
    settings::WriteUser("chkPOPAuth", "1");
    {
        ScriptedPeer pop("+OK POP3 ready\r\n");
        pop.answer = [](const QByteArray& line) -> QByteArray { return line == "QUIT" ? "+OK bye\r\n" : "-ERR no\r\n"; };
        pop.closeAfterQuit = true;
        SetMailNoticeTimesForTest({30000, 60000, pop.port()});
        form->SendMailNotice(Archive("x", "y"));
        ASSERT_TRUE(RunUntil([&] { return Ended(); }));
        EXPECT_EQ(pop.commands, QList<QByteArray>{"QUIT"});
        EXPECT_EQ(News(), LangText(258));
        EXPECT_TRUE(notice()->signedOut);
        EXPECT_FALSE(notice()->signOutFailed);
    }
    {
        // A server that never answers: the sign-out ends after its time.
        ScriptedPeer pop("");
        SetMailNoticeTimesForTest({300, 60000, pop.port()});
        form->SendMailNotice(Archive("x", "y"));
        ASSERT_TRUE(RunUntil([&] { return Ended(); }, 5000));
        EXPECT_EQ(pop.connections, 1);
        EXPECT_TRUE(pop.commands.isEmpty());
        EXPECT_EQ(News(), LangText(257));
        EXPECT_TRUE(notice()->signOutFailed);
        EXPECT_TRUE(ErrorLog().contains("did not answer"));
    }
    {
        // "-ERR": the server's text in the box, the sign-out failed.
        ScriptedPeer pop("-ERR busy\r\n");
        SetMailNoticeTimesForTest({30000, 60000, pop.port()});
        platform::Dialogs::scriptAnswers({});
        form->SendMailNotice(Archive("x", "y"));
        ASSERT_TRUE(RunUntil([&] { return Ended(); }));
        EXPECT_EQ(News(), LangText(257));
        ASSERT_EQ(platform::Dialogs::shown().size(), 1);
        EXPECT_EQ(platform::Dialogs::shown().first().prompt, "Error  busy at POP Server");
        EXPECT_EQ(platform::Dialogs::shown().first().title, "Error from server");
    }
}

TEST_F(MailNoticeTest, TheProgramsEndWaitsForTheNoticeButNotForever) {
    {
        ScriptedPeer peer;
        peer.dataAnswerDelayMs = 300;
        Use(peer);
        form->SendMailNotice(Archive("x", "y"));
        EXPECT_TRUE(notice()->InFlight());
        WaitForMailNotice();
        EXPECT_FALSE(notice()->InFlight());
        EXPECT_TRUE(peer.dataEnded);
        EXPECT_EQ(News(), LangText(256));
    }
    {
        // A server that takes the data and never answers: the end waits
        // its time (shortened here) and gives the notice up.
        ScriptedPeer peer;
        peer.dataAnswer.clear();
        Use(peer);
        SetMailNoticeTimesForTest({30000, 400, 110});
        form->SendMailNotice(Archive("x", "y"));
        WaitForMailNotice();
        EXPECT_FALSE(notice()->InFlight());
        EXPECT_TRUE(peer.dataEnded);
        EXPECT_FALSE(TempDatLeft());
        EXPECT_TRUE(ErrorLog().contains("given up"));
    }
    {
        // The end of the session waits too: the request comes after the
        // notice is through.
        struct Ender : platform::SessionEnder {
            ScriptedPeer* peer = nullptr;
            bool sentFirst = false;
            platform::PlatformVersion Version() override { return {2, 5}; }
            bool EnableShutdownRight() override { return true; }
            bool EndDesktopProcess() override { return false; }
            bool EndSession(quint32, QString*) override {
                sentFirst = peer->dataEnded;
                return true;
            }
        } ender;
        ScriptedPeer peer;
        peer.dataAnswerDelayMs = 200;
        ender.peer = &peer;
        Use(peer);
        SetMailNoticeTimesForTest({});
        platform::SetSessionEnder(&ender);
        form->SendMailNotice(Archive("x", "y"));
        ExitWindowsSession(8, 1);
        platform::SetSessionEnder(nullptr);
        EXPECT_TRUE(ender.sentFirst);
        EXPECT_EQ(News(), LangText(256));
    }
    // Nothing on its way: no wait at all.
    vb::SetClockForTest(QDateTime(QDate(2026, 1, 1), QTime(1, 0)), false);
    WaitForMailNotice();
}

TEST_F(MailNoticeTest, MissingAttachmentsAreSkipped) {
    ScriptedPeer peer;
    Use(peer);
    form->SendMailNotice(Win(temp + "/none.zip"));
    ASSERT_TRUE(RunUntil([&] { return Ended(); }));
    ASSERT_TRUE(peer.dataEnded);
    // The message ends with its text.
    EXPECT_FALSE(peer.data.contains("begin 600"));
    EXPECT_EQ(News(), LangText(256));
}

// Every way a notice can fail ends it with an error-log line and makes the
// run incomplete; someone at the window sees a box. The limits of a reply
// and of the greeting are shortened.
TEST_F(MailNoticeTest, EveryFailureIsReportedAsNotDelivered) {
    struct Case {
        const char* name;
        std::function<void(ScriptedPeer&)> script;
        QString logged;
        QString box;
    };
    const std::vector<Case> cases = {
        {"554 as the greeting", [](ScriptedPeer& p) { p.greeting = "554 no service here\r\n"; },
         "554 no service here", " no service here"},
        {"550 to the recipient",
         [](ScriptedPeer& p) {
             p.answer = [](const QByteArray& line) -> QByteArray {
                 return line.startsWith("RCPT") ? "550 5.1.1 unknown\r\n" : "250 ok\r\n";
             };
         },
         "550 5.1.1 unknown", " 5.1.1 unknown"},
        {"554 after the data", [](ScriptedPeer& p) { p.dataAnswer = "554 5.7.1 refused\r\n"; }, "554 5.7.1 refused",
         " 5.7.1 refused"},
        {"no greeting", [](ScriptedPeer& p) { p.greeting.clear(); }, "did not greet", LangText(272)},
        {"silent after HELO",
         [](ScriptedPeer& p) {
             p.answer = [](const QByteArray& line) -> QByteArray {
                 return line.startsWith("HELO") ? QByteArray() : "250 ok\r\n";
             };
         },
         "did not answer within", LangText(272)},
        {"silent after the data", [](ScriptedPeer& p) { p.dataAnswer.clear(); }, "did not answer within",
         LangText(272)},
        {"dropped in the middle of the data",
         [](ScriptedPeer& p) {
             p.answer = [&p](const QByteArray& line) -> QByteArray {
                 if (line == "DATA") {
                     QTimer::singleShot(20, &p, [&p] { p.Drop(); });
                     return "354 go\r\n";
                 }
                 return "250 ok\r\n";
             };
         },
         "the e-mail notice of P_BackUp_1.zip", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPeer peer;
        c.script(peer);
        Use(peer);
        MailNoticeTimes times;
        times.replyMs = 300;
        SetMailNoticeTimesForTest(times);
        platform::Dialogs::scriptAnswers({});
        ResetRunOutcome();
        QFile::remove(ErrorLogFile());
        form->SendMailNotice(Archive(testenv::randomBytes(4 * 1024 * 1024, 7), "log"));
        form->tmrtimeout->setInterval(300);  // the greeting's ten seconds
        ASSERT_TRUE(RunUntil([&] { return Ended(); }, 30000));
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
        EXPECT_TRUE(ErrorLog().contains(c.logged)) << ErrorLog().toStdString();
        EXPECT_TRUE(ErrorLog().contains("the e-mail notice of P_BackUp_1.zip")) << ErrorLog().toStdString();
        ASSERT_EQ(platform::Dialogs::shown().size(), 1);
        if (!c.box.isEmpty()) {
            EXPECT_EQ(platform::Dialogs::shown().first().prompt, c.box);
        }
        EXPECT_FALSE(TempDatLeft());
    }
}

// A server that drops or hangs up while the message goes out, or after it
// took all of it, is told as what it did when it does it: the notice does
// not wait out the server's time to answer (a minute, kept here).
TEST_F(MailNoticeTest, AConnectionLostDuringTheMessageIsReportedAtOnce) {
    struct Case {
        const char* name;
        bool reset;       // a connection reset, else the server hangs up
        bool afterData;   // once the whole message arrived, else in its middle
    } const cases[] = {
        {"reset in the message", true, false},
        {"hung up in the message", false, false},
        {"reset after the message", true, true},
        {"hung up after the message", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPeer peer;
        auto lose = [&peer, &c] { c.reset ? peer.Drop() : peer.HangUp(); };
        peer.answer = [&](const QByteArray& line) -> QByteArray {
            if (line != "DATA")
                return "250 ok\r\n";
            if (!c.afterData)
                QTimer::singleShot(20, &peer, lose);
            return "354 go\r\n";
        };
        QTimer watch;
        if (c.afterData) {
            peer.dataAnswer.clear();
            QObject::connect(&watch, &QTimer::timeout, [&] {
                if (peer.dataEnded) {
                    watch.stop();
                    lose();
                }
            });
            watch.start(5);
        }
        Use(peer);
        platform::Dialogs::scriptAnswers({});
        ResetRunOutcome();
        QFile::remove(ErrorLogFile());
        form->SendMailNotice(Archive(testenv::randomBytes(c.afterData ? 4096 : 16 * 1024 * 1024, 9), "log"));
        ASSERT_TRUE(RunUntil([&] { return Ended(); }, 30000)) << News().toStdString();
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
        EXPECT_TRUE(ErrorLog().contains("sckSMTP_Close of Formular frmMain_BackUp  1  10054  The server closed the "
                                        "connection before the notice was sent: the e-mail notice of P_BackUp_1.zip"))
            << ErrorLog().toStdString();
        EXPECT_FALSE(ErrorLog().contains("did not answer")) << ErrorLog().toStdString();
        ASSERT_EQ(platform::Dialogs::shown().size(), 1);
        EXPECT_FALSE(TempDatLeft());
    }
}

// Notices started while one is on its way wait for their turn and go out in
// order, each with its own attachments (encoded at once: the run deletes its
// archives right after starting the notice).
TEST_F(MailNoticeTest, NoticesStartedTogetherAreAllSentInOrder) {
    ScriptedPeer peer;
    Use(peer);
    ResetRunOutcome();
    const QStringList names = {"P_BackUp_1.zip", "P_BackUp_2.zip", "P_BackUp_3.zip"};
    for (const QString& name : names) {
        testenv::writeFile(temp + "/" + name, name.toLatin1());
        form->SendMailNotice(Win(temp + "/" + name));
        QFile::remove(temp + "/" + name);
    }
    EXPECT_EQ(notice()->Waiting(), 2);
    ASSERT_TRUE(RunUntil([&] { return Ended(); }, 30000));
    EXPECT_EQ(peer.connections, 3);
    const QByteArray data = Unstuffed(peer.data);
    qsizetype at = 0;
    for (const QString& name : names) {
        const qsizetype next = data.indexOf(("begin 600 " + name).toLatin1());
        EXPECT_GE(next, at) << name.toStdString();
        at = next;
    }
    EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Complete) << ErrorLog().toStdString();
    EXPECT_FALSE(QFile::exists(temp + "/Temp.dat") || QFile::exists(temp + "/Temp2.dat") ||
                 QFile::exists(temp + "/Temp3.dat"));
}

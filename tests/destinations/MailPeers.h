// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scripted SMTP or POP3 server on 127.0.0.1 inside the test process: it
// records what the client sends and answers by a script, so that the exact
// lines of a dialogue, odd replies and silent servers can be shown.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <functional>

#include "support/TestEnv.h"

namespace mailpeer {

// Lets events run until `done` or `ms` milliseconds passed; returns done().
inline bool RunUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

class ScriptedPeer : public QObject {
public:
    // greeting: sent on every new connection (empty: the peer never says a
    // word). The default script answers like a plain SMTP server.
    explicit ScriptedPeer(QByteArray greeting = "220 peer ready\r\n") : greeting(std::move(greeting)) {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] { accept(); });
        answer = [](const QByteArray& line) -> QByteArray {
            if (line.startsWith("HELO") || line.startsWith("MAIL") || line.startsWith("RCPT"))
                return "250 ok\r\n";
            if (line == "DATA")
                return "354 go ahead\r\n";
            if (line == "QUIT")
                return "221 bye\r\n";
            return "500 what?\r\n";
        };
    }
    quint16 port() const { return server.serverPort(); }

    // Writes bytes to the client now.
    void Send(const QByteArray& bytes) {
        if (client) {
            client->write(bytes);
            client->flush();
        }
    }

    // Drops the connection at once (a connection reset for the client).
    void Drop() {
        if (client)
            client->abort();
    }
    // Closes the connection as a server that hangs up does.
    void HangUp() {
        if (client)
            client->disconnectFromHost();
    }

    QByteArray greeting;
    // Answer to one command line (without CR LF); empty: no answer.
    std::function<QByteArray(const QByteArray&)> answer;
    // Answer to the end of the data; empty: no answer.
    QByteArray dataAnswer = "250 queued\r\n";
    int dataAnswerDelayMs = 0;
    bool closeAfterQuit = false;

    int connections = 0;
    QList<QByteArray> commands;  // the client's lines outside the data
    QByteArray data;             // the data as sent (dots doubled), without its end
    bool dataEnded = false;
    bool clientClosed = false;

private:
    void accept() {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            ++connections;
            client = s;
            QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
            QObject::connect(s, &QTcpSocket::disconnected, this, [this] { clientClosed = true; });
            Send(greeting);
        }
    }
    void read(QTcpSocket* s) {
        pending += s->readAll();
        for (;;) {
            if (inData) {
                const qsizetype end = pending.indexOf("\r\n.\r\n");
                if (end < 0) {
                    // Keep only what may be the start of the end mark.
                    if (pending.size() > 4) {
                        data += pending.first(pending.size() - 4);
                        pending.remove(0, pending.size() - 4);
                    }
                    return;
                }
                data += pending.left(end);
                pending.remove(0, end + 5);
                inData = false;
                dataEnded = true;
                if (dataAnswerDelayMs > 0)
                    QTimer::singleShot(dataAnswerDelayMs, this, [this] { Send(dataAnswer); });
                else
                    Send(dataAnswer);
                continue;
            }
            const qsizetype end = pending.indexOf("\r\n");
            if (end < 0)
                return;
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 2);
            commands << line;
            const QByteArray reply = answer(line);
            Send(reply);
            if (line == "DATA" && reply.startsWith("354"))
                inData = true;
            if (line == "QUIT" && closeAfterQuit)
                s->disconnectFromHost();
        }
    }

    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray pending;
    bool inData = false;
};

// The aiosmtpd server of helpers/smtp_sink.py, in a process of its own;
// `mode` as that script takes it ("accept", "refuse-rcpt", "refuse-data",
// "silent-data", "drop-in-data"). It holds clients to RFC 5321's syntax.
class SmtpSink {
public:
    explicit SmtpSink(const QString& mode = QStringLiteral("accept")) {
        folder = testenv::tempDir(QStringLiteral("smtp"));
        process.start(QStringLiteral("/usr/bin/python3"),
                      {testenv::sourceDir() + QStringLiteral("/tests/destinations/helpers/smtp_sink.py"), folder, mode});
        if (process.waitForReadyRead(15000))
            port = process.readLine().trimmed().toInt();
    }
    ~SmtpSink() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }
    QStringList Messages() const { return QDir(folder).entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name); }

    QString folder;
    QProcess process;
    int port = 0;
};

}  // namespace mailpeer

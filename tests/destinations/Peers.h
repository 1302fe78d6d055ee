// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The servers the transfer tests talk to: small Python programs on
// 127.0.0.1, each started by a test and killed when the test ends.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "support/TestEnv.h"

namespace peers {

class Peer {
public:
    // Starts tests/destinations/peers/<script> with a fresh root folder and
    // the arguments; waits at most 10 s for its port.
    Peer(const QString& script, const QStringList& args) {
        root = testenv::tempDir(QStringLiteral("peer"));
        QStringList all{testenv::sourceDir() + QStringLiteral("/tests/destinations/peers/") + script,
                        QStringLiteral("--root"), root, QStringLiteral("--lifetime"), QStringLiteral("240")};
        all << args;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("/usr/bin/python3"), all);
        QByteArray out;
        while (!out.contains('\n') && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        if (out.startsWith("PORT "))
            port = out.mid(5).trimmed().toInt();
    }
    ~Peer() {
        process.kill();
        process.waitForFinished(5000);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool running() const { return port > 0; }
    QString root;   // host path of the served folder
    int port = 0;
    QProcess process;
};

// pyftpdlib with one user ("tester", "secret") whose home is `root`.
class FtpServer : public Peer {
public:
    explicit FtpServer(const QStringList& args = {}) : Peer(QStringLiteral("ftp_server.py"), args) {}
};

// A plain file server with a 404 for missing files.
class HttpServer : public Peer {
public:
    explicit HttpServer(const QStringList& args = {}) : Peer(QStringLiteral("http_server.py"), args) {}
    QString base() const { return QStringLiteral("http://127.0.0.1:") + QString::number(port); }
};

}  // namespace peers

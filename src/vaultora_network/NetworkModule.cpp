// SPDX-License-Identifier: GPL-3.0-or-later
// The program's network module: TCP connections on QTcpSocket, behind
// platform::TcpConnection.
#include <QTcpSocket>

#include "platform/TcpConnection.h"

namespace {

class QtTcpConnection final : public platform::TcpConnection {
public:
    explicit QtTcpConnection(platform::TcpEvents events) : events_(std::move(events)) {
        QObject::connect(&socket_, &QTcpSocket::connected, [this] { events_.connected(); });
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { events_.readyRead(); });
        QObject::connect(&socket_, &QTcpSocket::disconnected, [this] { events_.disconnected(); });
        QObject::connect(&socket_, &QTcpSocket::errorOccurred, [this] { events_.errorOccurred(); });
        QObject::connect(&socket_, &QTcpSocket::bytesWritten, [this](qint64 n) { events_.bytesWritten(n); });
    }
    ~QtTcpConnection() override {
        // Nothing is told while the socket goes away.
        QObject::disconnect(&socket_, nullptr, nullptr, nullptr);
        socket_.abort();
    }

    void connectToHost(const QString& host, quint16 port) override { socket_.connectToHost(host, port); }
    void abort() override { socket_.abort(); }
    void disconnectFromHost() override { socket_.disconnectFromHost(); }
    int state() const override { return int(socket_.state()); }
    int error() const override { return int(socket_.error()); }
    QString errorString() const override { return socket_.errorString(); }
    void write(const QByteArray& data) override { socket_.write(data); }
    QByteArray readAll() override { return socket_.readAll(); }
    qint64 bytesAvailable() const override { return socket_.bytesAvailable(); }
    qint64 bytesToWrite() const override { return socket_.bytesToWrite(); }

private:
    platform::TcpEvents events_;
    QTcpSocket socket_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) platform::TcpConnection* vaultora_new_tcp_connection(
    platform::TcpEvents events) {
    return new QtTcpConnection(std::move(events));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

// A TCP connection made by the program's network module, a library beside
// the program that is loaded when the first connection is made: a start that
// sends no mail never loads Qt's network library (nor the Kerberos, proxy and
// compression libraries it brings). The module only needs this header, so
// nothing in it depends on the program.
namespace platform {

// What the connection tells, on the thread it was made on.
struct TcpEvents {
    std::function<void()> connected;
    std::function<void()> readyRead;
    std::function<void()> disconnected;
    std::function<void()> errorOccurred;
    std::function<void(qint64)> bytesWritten;
};

// The members of QTcpSocket the program uses; state() and error() are
// QAbstractSocket's SocketState and SocketError values.
class TcpConnection {
public:
    virtual ~TcpConnection() = default;
    virtual void connectToHost(const QString& host, quint16 port) = 0;
    virtual void abort() = 0;
    virtual void disconnectFromHost() = 0;
    virtual int state() const = 0;
    virtual int error() const = 0;
    virtual QString errorString() const = 0;
    virtual void write(const QByteArray& data) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual qint64 bytesToWrite() const = 0;
};

// The module's file name and its one entry point.
inline constexpr char kNetworkModule[] = "libvaultora_network.so";
inline constexpr char kNewTcpConnection[] = "vaultora_new_tcp_connection";
using NewTcpConnection = TcpConnection* (*)(TcpEvents events);

}  // namespace platform

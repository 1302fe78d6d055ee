// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Winsock.h"

#include <QTcpSocket>
#include <QTimer>

namespace platform {

int WinsockErrorNumber(int qtSocketError) {
    switch (QAbstractSocket::SocketError(qtSocketError)) {
    case QAbstractSocket::ConnectionRefusedError: return Winsock::sckConnectionRefused;
    case QAbstractSocket::HostNotFoundError: return Winsock::sckHostNotFound;
    case QAbstractSocket::SocketTimeoutError: return Winsock::sckTimedOut;
    case QAbstractSocket::NetworkError: return Winsock::sckNetworkUnreachable;
    case QAbstractSocket::SocketAccessError: return Winsock::sckAccessDenied;
    case QAbstractSocket::SocketResourceError: return Winsock::sckNoBufferSpace;
    case QAbstractSocket::UnsupportedSocketOperationError: return Winsock::sckInvalidArgument;
    default: return Winsock::sckConnectionReset;
    }
}

Winsock::Winsock(const QString& name, QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    setObjectName(name);
    connect(socket_, &QTcpSocket::connected, this, [this] { emit Connected(); });
    connect(socket_, &QTcpSocket::readyRead, this,
            [this] { emit DataArrival(qint32(qMin<qint64>(socket_->bytesAvailable(), 0x7FFFFFFF))); });
    connect(socket_, &QTcpSocket::bytesWritten, this, &Winsock::SendProgress);
    connect(socket_, &QTcpSocket::errorOccurred, this, &Winsock::onError);
    connect(socket_, &QTcpSocket::disconnected, this, &Winsock::onDisconnected);
}

Winsock::~Winsock() {
    closing_ = true;
    socket_->abort();
}

void Winsock::Connect(const QString& RemoteHost, int RemotePort) {
    closing_ = true;
    socket_->abort();
    closing_ = false;
    failed_ = false;
    if (RemoteHost.trimmed().isEmpty() || RemotePort < 1 || RemotePort > 65535) {
        const bool noHost = RemoteHost.trimmed().isEmpty();
        // Reported as the control does: by the event, after the call returned.
        QTimer::singleShot(0, this, [this, noHost] {
            failed_ = true;
            emit Error(qint16(noHost ? sckHostNotFound : sckInvalidArgument),
                       noHost ? QStringLiteral("Host not found") : QStringLiteral("Invalid argument"));
        });
        return;
    }
    socket_->connectToHost(RemoteHost.trimmed(), quint16(RemotePort));
}

void Winsock::SendData(const QByteArray& data) {
    if (socket_->state() != QAbstractSocket::ConnectedState || data.isEmpty())
        return;
    socket_->write(data);
}

QByteArray Winsock::GetData() { return socket_->readAll(); }

void Winsock::Close() {
    if (socket_->state() == QAbstractSocket::UnconnectedState)
        return;
    closing_ = true;
    // What was queued still goes out before the connection closes.
    socket_->disconnectFromHost();
}

int Winsock::State() const {
    switch (socket_->state()) {
    case QAbstractSocket::UnconnectedState: return failed_ ? sckError : sckClosed;
    case QAbstractSocket::HostLookupState: return sckResolvingHost;
    case QAbstractSocket::ConnectingState: return sckConnecting;
    case QAbstractSocket::ConnectedState: return sckConnected;
    case QAbstractSocket::BoundState: return sckOpen;
    case QAbstractSocket::ListeningState: return sckListening;
    case QAbstractSocket::ClosingState: return sckClosing;
    }
    return sckClosed;
}

qint64 Winsock::BytesQueued() const { return socket_->bytesToWrite(); }

void Winsock::onError() {
    const QAbstractSocket::SocketError e = socket_->error();
    // The peer closing is the Close event, not an error.
    if (e == QAbstractSocket::RemoteHostClosedError || closing_)
        return;
    failed_ = true;
    emit Error(qint16(WinsockErrorNumber(int(e))), socket_->errorString());
}

void Winsock::onDisconnected() {
    if (closing_) {
        closing_ = false;
        return;
    }
    if (!failed_)
        emit Closed();
}

}  // namespace platform

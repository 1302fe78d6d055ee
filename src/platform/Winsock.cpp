// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Winsock.h"

// Only the enumerations: the sockets themselves are the network module's.
#include <QAbstractSocket>
#include <QTimer>

#include "platform/LateLibrary.h"
#include "platform/TcpConnection.h"

namespace platform {
namespace {

// The module's entry point, or null with the reason when it cannot be loaded.
NewTcpConnection networkModule(QString* failure) {
    static QString why;
    static const NewTcpConnection entry = [] {
        NewTcpConnection fn = nullptr;
        void* lib = OpenProgramModule(kNetworkModule);
        if (!lib || !Resolve(lib, kNewTcpConnection, fn))
            why = LateLibraryError();
        return fn;
    }();
    if (!entry && failure)
        *failure = why;
    return entry;
}

}  // namespace

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

Winsock::Winsock(const QString& name, QObject* parent) : QObject(parent) { setObjectName(name); }

Winsock::~Winsock() {
    closing_ = true;
    if (socket_)
        socket_->abort();
    socket_.reset();
}

void Winsock::Connect(const QString& RemoteHost, int RemotePort) {
    closing_ = true;
    if (socket_)
        socket_->abort();
    closing_ = false;
    failed_ = false;
    const QString host = RemoteHost.trimmed();
    const bool noHost = host.isEmpty();
    const bool badPort = !noHost && (RemotePort < 1 || RemotePort > 65535);
    QString noModule;
    if (!socket_ && !noHost && !badPort) {
        if (const NewTcpConnection make = networkModule(&noModule)) {
            TcpEvents events;
            events.connected = [this] { emit Connected(); };
            events.readyRead = [this] {
                emit DataArrival(qint32(qMin<qint64>(socket_->bytesAvailable(), 0x7FFFFFFF)));
            };
            events.bytesWritten = [this](qint64 bytes) { emit SendProgress(bytes); };
            events.errorOccurred = [this] { onError(); };
            events.disconnected = [this] { onDisconnected(); };
            socket_.reset(make(std::move(events)));
        }
    }
    if (!socket_ || noHost || badPort) {
        // Reported as the control does: by the event, after the call returned.
        QTimer::singleShot(0, this, [this, noHost, badPort, noModule] {
            failed_ = true;
            if (noHost)
                emit Error(qint16(sckHostNotFound), QStringLiteral("Host not found"));
            else if (badPort)
                emit Error(qint16(sckInvalidArgument), QStringLiteral("Invalid argument"));
            else
                emit Error(qint16(sckNetworkUnreachable),
                           QStringLiteral("The network library could not be loaded: ") + noModule);
        });
        return;
    }
    socket_->connectToHost(host, quint16(RemotePort));
}

void Winsock::SendData(const QByteArray& data) {
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState || data.isEmpty())
        return;
    socket_->write(data);
}

QByteArray Winsock::GetData() { return socket_ ? socket_->readAll() : QByteArray(); }

void Winsock::Close() {
    if (!socket_ || socket_->state() == QAbstractSocket::UnconnectedState)
        return;
    closing_ = true;
    // What was queued still goes out before the connection closes.
    socket_->disconnectFromHost();
}

int Winsock::State() const {
    switch (socket_ ? socket_->state() : int(QAbstractSocket::UnconnectedState)) {
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

qint64 Winsock::BytesQueued() const { return socket_ ? socket_->bytesToWrite() : 0; }

void Winsock::onError() {
    const QAbstractSocket::SocketError e = QAbstractSocket::SocketError(socket_->error());
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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

// A TCP client in the shape of the Winsock control: Connect starts an
// asynchronous connection, SendData queues bytes and returns at once,
// GetData takes what arrived, and the outcome comes back as the control's
// events, on the GUI thread: Connect (the signal Connected), DataArrival,
// Error, and Close when the peer closed the connection (the signal Closed).
// The connection itself is made by the network module, loaded at the first
// Connect; when it cannot be loaded that Connect ends in the Error event.
namespace platform {

class TcpConnection;

class Winsock : public QObject {
    Q_OBJECT
public:
    // State: the Winsock control's numbers.
    enum StateValue : int {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckConnectionPending = 3,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };
    // Error numbers raised through the Error event.
    enum ErrorNumber : int {
        sckConnectionRefused = 10061,
        sckHostNotFound = 11001,
        sckTimedOut = 10060,
        sckConnectionReset = 10054,
        sckNetworkUnreachable = 10051,
        sckAccessDenied = 10013,
        sckNoBufferSpace = 10055,
        sckInvalidArgument = 10022,
    };

    explicit Winsock(const QString& name, QObject* parent = nullptr);
    ~Winsock() override;

    // Drops any connection and starts a new one. An empty host or a port
    // outside 1..65535 is reported through Error (host not found, invalid
    // argument), also asynchronously.
    void Connect(const QString& RemoteHost, int RemotePort);
    // Queues the bytes; raises no error while connected. Data given while not
    // connected is dropped.
    void SendData(const QByteArray& data);
    // Everything received and not yet taken.
    QByteArray GetData();
    // Closes the connection; harmless when it is closed already.
    void Close();
    int State() const;

    // Bytes handed to SendData that the system has not taken yet.
    qint64 BytesQueued() const;

signals:
    void Connected();
    void DataArrival(qint32 bytesTotal);
    void Error(qint16 Number, const QString& Description);
    void Closed();
    // Part of the queue went out (for senders that feed the socket as it
    // drains).
    void SendProgress(qint64 bytes);

private:
    void onError();
    void onDisconnected();
    // Made at the first Connect.
    std::unique_ptr<TcpConnection> socket_;
    bool closing_ = false;   // our own Close: no Close event
    bool failed_ = false;    // the Error event was raised for this connection
};

// The Winsock error number for a socket error of the host.
int WinsockErrorNumber(int qtSocketError);

}  // namespace platform

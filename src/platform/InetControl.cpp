// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InetControl.h"
#include "platform/LateLibrary.h"

#include <curl/curl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <deque>
#include <map>
#include <utility>
#include <sys/stat.h>

#include "platform/HostFiles.h"
#include "vb/Cp1252.h"
#include "vb/Like.h"
#include "vb/VbError.h"

namespace platform {

QString FtpCommand::Text() const {
    switch (verb) {
    case Verb::Dir:
        return remote.isEmpty() ? QStringLiteral("DIR") : QStringLiteral("DIR ") + remote;
    case Verb::MkDir:
        return QStringLiteral("MKDIR ") + remote;
    case Verb::Cd:
        return QStringLiteral("CD ") + remote;
    case Verb::Send:
        return QStringLiteral("SEND ") + local + QLatin1Char(' ') + remote;
    case Verb::Get:
        return QStringLiteral("GET ") + remote + QLatin1Char(' ') + local;
    case Verb::Delete:
        return QStringLiteral("DELETE  ") + remote;
    case Verb::Rename:
        return QStringLiteral("RENAME ") + remote + QLatin1Char(' ') + newName;
    case Verb::Size:
        return QStringLiteral("SIZE ") + remote;
    case Verb::Close:
        return QStringLiteral("CLOSE");
    }
    return {};
}

namespace {

// libcurl, and the TLS, Kerberos and directory libraries it brings, is loaded
// when the first transfer is set up, not with the program.
struct CurlApi {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_multi_init) multi_init = nullptr;
    decltype(&curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&curl_multi_setopt) multi_setopt = nullptr;
    decltype(&curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&curl_multi_info_read) multi_info_read = nullptr;
    decltype(&curl_multi_socket_action) multi_socket_action = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
};
CurlApi g_curl;

bool loadCurl() {
    void* lib = OpenLateLibrary(VAULTORA_CURL_LIBRARY);
    if (!lib)
        return false;
    CurlApi api;
    const bool complete = true
        && Resolve(lib, "curl_global_init", api.global_init)
        && Resolve(lib, "curl_easy_init", api.easy_init)
        && Resolve(lib, "curl_easy_cleanup", api.easy_cleanup)
        && Resolve(lib, "curl_easy_setopt", api.easy_setopt)
        && Resolve(lib, "curl_easy_getinfo", api.easy_getinfo)
        && Resolve(lib, "curl_easy_strerror", api.easy_strerror)
        && Resolve(lib, "curl_multi_init", api.multi_init)
        && Resolve(lib, "curl_multi_cleanup", api.multi_cleanup)
        && Resolve(lib, "curl_multi_setopt", api.multi_setopt)
        && Resolve(lib, "curl_multi_add_handle", api.multi_add_handle)
        && Resolve(lib, "curl_multi_remove_handle", api.multi_remove_handle)
        && Resolve(lib, "curl_multi_info_read", api.multi_info_read)
        && Resolve(lib, "curl_multi_socket_action", api.multi_socket_action)
        && Resolve(lib, "curl_slist_append", api.slist_append)
        && Resolve(lib, "curl_slist_free_all", api.slist_free_all)
        ;
    if (!complete)
        return false;
    g_curl = api;
    return g_curl.global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

void ensureCurl() {
    static const bool ready = loadCurl();
    if (!ready)
        vb::Raise(vb::errCantCreateObject, QStringLiteral("The transfer library could not be started"));
}

bool hasLineBreakOrNul(const QString& s) {
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n')) || s.contains(QChar(0));
}

[[noreturn]] void badArgument(const QString& what) {
    vb::Raise(icErrBadArgument, what);
}

// A host name or address as it may stand in a URL: letters, digits and
// ".-_" (and ":" for an IPv6 address).
bool validHost(const QString& host) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9._-]+$|^[0-9A-Fa-f:.]+$"));
    return !host.isEmpty() && re.match(host).hasMatch();
}

// A wildcard mask as an FTP server matches it: "*" any run, "?" one
// character, every other character ("[", "#" ...) itself; case counts.
bool maskMatches(const QString& name, const QString& mask) {
    return vb::WildcardMatch(name, mask, Qt::CaseSensitive);
}

// One line of an MLSD listing: "type=file;size=5; name". The name, with a
// "/" after a folder's; empty for the folder itself, its parent and lines
// that are no entries.
QString mlsdEntry(const QString& line) {
    const qsizetype gap = line.indexOf(QLatin1Char(' '));
    if (gap <= 0 || gap + 1 >= line.size())
        return {};
    const QString name = line.mid(gap + 1);
    QString type;
    for (const QString& fact : line.left(gap).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (fact.startsWith(QLatin1String("type="), Qt::CaseInsensitive))
            type = fact.mid(5).toLower();
    if (type == QLatin1String("cdir") || type == QLatin1String("pdir"))
        return {};
    return type == QLatin1String("dir") ? name + QLatin1Char('/') : name;
}

QString decodeDocument(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return vb::DecodeText(bytes);
}

}  // namespace

struct InetControl::Impl {
    InetControl* q;
    CURLM* multi = nullptr;
    QTimer timer;
    struct Sock {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    std::map<curl_socket_t, Sock> socks;

    // the running request
    CURL* easy = nullptr;
    bool busy = false;
    bool http = false;
    bool done = false;   // the request ended (its final state may still be queued)
    FtpCommand cmd;
    QStringList cwd;     // the control's remote folder, segments from the login folder
    QStringList pendingCwd;
    QString mlsdRefusedBy;     // the server ("host:port") that knows no MLSD: its listings are bare names
    bool mlsd = false;         // the running listing is an MLSD one
    char errbuf[CURL_ERROR_SIZE] = {};
    curl_slist* quote = nullptr;
    QFile upload;
    std::unique_ptr<QSaveFile> download;
    QByteArray received;
    bool sawConnect = false, sawSend = false, sawReceive = false;
    CURLcode result = CURLE_OK;
    long httpStatus = 0;
    // The server's last refusal (a reply of 400 or more) of this request.
    int refusalCode = 0;
    QString refusalText;
    QByteArray replyLine;

    // the last result, read with GetChunk
    QString chunkText;
    qsizetype chunkTextPos = 0;
    QByteArray chunkBytes;
    qsizetype chunkBytesPos = 0;

    // states waiting to be reported from the event loop
    std::deque<qint16> states;
    bool flushQueued = false;

    explicit Impl(InetControl* owner) : q(owner) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, q, [this] { action(CURL_SOCKET_TIMEOUT, 0); });
    }

    // The transfer library starts with the control's first transfer.
    void startMulti() {
        if (multi)
            return;
        ensureCurl();
        multi = g_curl.multi_init();
        if (!multi)
            vb::Raise(vb::errCantCreateObject, QStringLiteral("The transfer library could not be started"));
        g_curl.multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &Impl::onSocket);
        g_curl.multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
        g_curl.multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &Impl::onTimer);
        g_curl.multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    }

    ~Impl() {
        timer.stop();
        dropEasy();
        for (auto& [fd, s] : socks) {
            delete s.read;
            delete s.write;
        }
        socks.clear();
        if (multi)
            g_curl.multi_cleanup(multi);
    }

    void dropEasy() {
        if (easy) {
            g_curl.multi_remove_handle(multi, easy);
            g_curl.easy_cleanup(easy);
            easy = nullptr;
        }
        if (quote) {
            g_curl.slist_free_all(quote);
            quote = nullptr;
        }
        upload.close();
    }

    // ---- libcurl's hooks into the event loop ----

    static int onSocket(CURL*, curl_socket_t fd, int what, void* userp, void*) {
        auto* self = static_cast<Impl*>(userp);
        if (what == CURL_POLL_REMOVE) {
            auto it = self->socks.find(fd);
            if (it != self->socks.end()) {
                for (QSocketNotifier* n : {it->second.read, it->second.write}) {
                    if (n) {
                        n->setEnabled(false);
                        n->deleteLater();
                    }
                }
                self->socks.erase(it);
            }
            return 0;
        }
        Sock& s = self->socks[fd];
        if (!s.read) {
            s.read = new QSocketNotifier(fd, QSocketNotifier::Read, self->q);
            QObject::connect(s.read, &QSocketNotifier::activated, self->q,
                             [self, fd] { self->action(fd, CURL_CSELECT_IN); });
            s.write = new QSocketNotifier(fd, QSocketNotifier::Write, self->q);
            QObject::connect(s.write, &QSocketNotifier::activated, self->q,
                             [self, fd] { self->action(fd, CURL_CSELECT_OUT); });
        }
        s.read->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
        s.write->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
        return 0;
    }

    static int onTimer(CURLM*, long timeoutMs, void* userp) {
        auto* self = static_cast<Impl*>(userp);
        if (timeoutMs < 0)
            self->timer.stop();
        else
            self->timer.start(int(timeoutMs));
        return 0;
    }

    void action(curl_socket_t fd, int events) {
        int running = 0;
        g_curl.multi_socket_action(multi, fd, events, &running);
        checkDone();
    }

    // ---- data ----

    static size_t onWrite(char* ptr, size_t size, size_t n, void* userp) {
        auto* self = static_cast<Impl*>(userp);
        const size_t bytes = size * n;
        if (!self->sawReceive) {
            self->sawReceive = true;
            self->queueState(icReceivingResponse);
        }
        if (self->download) {
            if (self->download->write(ptr, qint64(bytes)) != qint64(bytes))
                return 0;   // ends the transfer with a write error
        } else {
            self->received.append(ptr, qsizetype(bytes));
        }
        return bytes;
    }

    static size_t onRead(char* buffer, size_t size, size_t n, void* userp) {
        auto* self = static_cast<Impl*>(userp);
        const qint64 got = self->upload.read(buffer, qint64(size * n));
        if (got < 0)
            return CURL_READFUNC_ABORT;
        if (got > 0 && !self->sawSend) {
            self->sawSend = true;
            self->queueState(icRequestSent);
        }
        return size_t(got);
    }

    // Only the server's replies are looked at (never what goes out, which
    // holds the password).
    static int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* userp) {
        if (type != CURLINFO_HEADER_IN)
            return 0;
        auto* self = static_cast<Impl*>(userp);
        self->replyLine.append(data, qsizetype(size));
        qsizetype nl;
        while ((nl = self->replyLine.indexOf('\n')) >= 0) {
            const QByteArray line = self->replyLine.left(nl).trimmed();
            self->replyLine.remove(0, nl + 1);
            // "550 text" ends a reply; "550-text" lines continue it.
            if (line.size() >= 4 && line[3] == ' ') {
                bool ok = false;
                const int code = line.left(3).toInt(&ok);
                if (ok && code >= 400) {
                    self->refusalCode = code;
                    self->refusalText = QString::fromUtf8(line.mid(4));
                }
            }
        }
        return 0;
    }

    static int onProgress(void* userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* self = static_cast<Impl*>(userp);
        self->noteConnect();
        return 0;
    }

    void noteConnect() {
        if (sawConnect || !easy)
            return;
        curl_off_t connectUs = 0;
        if (g_curl.easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectUs) == CURLE_OK && connectUs > 0) {
            sawConnect = true;
            queueState(icConnected);
        }
    }

    // ---- states ----

    void queueState(qint16 state) {
        states.push_back(state);
        if (!flushQueued) {
            flushQueued = true;
            QPointer<InetControl> guard(q);
            QMetaObject::invokeMethod(
                q, [this, guard] { if (guard) flush(); }, Qt::QueuedConnection);
        }
    }

    void flush() {
        flushQueued = false;
        QPointer<InetControl> guard(q);
        while (guard && !states.empty()) {
            const qint16 s = states.front();
            states.pop_front();
            if (s == icError || s == icResponseCompleted || (s == icDisconnected && done))
                busy = false;
            emit q->StateChanged(s);
        }
    }

    // ---- requests ----

    QString baseUrl() const {
        QString host = q->RemoteHost;
        if (host.contains(QLatin1Char(':')))
            host = QLatin1Char('[') + host + QLatin1Char(']');
        return QStringLiteral("ftp://") + host + QLatin1Char(':') + QString::number(q->RemotePort) +
               QLatin1Char('/');
    }

    QString serverKey() const { return q->RemoteHost + QLatin1Char(':') + QString::number(q->RemotePort); }

    static QString encoded(const QStringList& segments) {
        QString out;
        for (const QString& s : segments)
            out += QString::fromLatin1(QUrl::toPercentEncoding(s)) + QLatin1Char('/');
        return out;
    }

    // The path of a name in the current folder, relative to the login folder,
    // for a raw command.
    QString relative(const QString& name) const {
        QStringList parts = cwd;
        parts << name;
        return parts.join(QLatin1Char('/'));
    }

    CURL* newEasy() {
        startMulti();
        CURL* e = g_curl.easy_init();
        if (!e)
            vb::Raise(vb::errOutOfMemory);
        errbuf[0] = 0;
        g_curl.easy_setopt(e, CURLOPT_ERRORBUFFER, errbuf);
        g_curl.easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        g_curl.easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
        g_curl.easy_setopt(e, CURLOPT_PRIVATE, this);
        g_curl.easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
        g_curl.easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Impl::onProgress);
        g_curl.easy_setopt(e, CURLOPT_XFERINFODATA, this);
        g_curl.easy_setopt(e, CURLOPT_WRITEFUNCTION, &Impl::onWrite);
        g_curl.easy_setopt(e, CURLOPT_WRITEDATA, this);
        return e;
    }

    void startFtp(const FtpCommand& c) {
        if (q->Protocol != icFTP && q->Protocol != icDefault)
            badArgument(QStringLiteral("The control is not set to FTP"));
        if (q->RemotePort < 1 || q->RemotePort > 65535)
            badArgument(QStringLiteral("The port must lie between 1 and 65535"));
        if (!validHost(q->RemoteHost))
            badArgument(QStringLiteral("The server name is not valid"));
        if (hasLineBreakOrNul(q->UserName) || hasLineBreakOrNul(q->Password))
            badArgument(QStringLiteral("The user name or password holds a line break"));
        if (hasLineBreakOrNul(c.remote) || hasLineBreakOrNul(c.local))
            badArgument(QStringLiteral("A name holds a line break"));
        for (const QString& seg : cwd)
            if (hasLineBreakOrNul(seg))
                badArgument(QStringLiteral("A name holds a line break"));

        cmd = c;
        received.clear();
        chunkText.clear();
        chunkBytes.clear();
        chunkTextPos = chunkBytesPos = 0;
        q->responseCode_ = 0;
        q->responseInfo_.clear();
        q->lastFailed_ = false;
        sawConnect = sawSend = sawReceive = false;
        refusalCode = 0;
        refusalText.clear();
        replyLine.clear();
        http = false;
        done = false;

        if (c.verb == FtpCommand::Verb::Close) {
            // Every command logged in and out on its own: nothing stays open.
            cwd.clear();
            busy = true;
            done = true;
            queueState(icDisconnecting);
            queueState(icDisconnected);
            return;
        }

        QString url = baseUrl();
        pendingCwd = cwd;
        // Prepare what can fail before anything goes out.
        switch (c.verb) {
        case FtpCommand::Verb::Send: {
            if (c.remote.isEmpty())
                badArgument(QStringLiteral("No remote file name"));
            upload.setFileName(HostPathOrRaise(c.local));
            if (!upload.open(QIODevice::ReadOnly))
                vb::Raise(upload.exists() ? vb::errPermissionDenied : vb::errFileNotFound);
            url += encoded(cwd) + QString::fromLatin1(QUrl::toPercentEncoding(c.remote));
            break;
        }
        case FtpCommand::Verb::Get: {
            if (c.remote.isEmpty())
                badArgument(QStringLiteral("No remote file name"));
            download = std::make_unique<QSaveFile>(HostPathOrRaise(c.local));
            download->setDirectWriteFallback(false);
            // A fetched archive is readable by its owner only, as every
            // archive the program writes.
            if (!download->open(QIODevice::WriteOnly) || ::fchmod(download->handle(), 0600) != 0) {
                download.reset();
                vb::Raise(vb::errPathFileAccess);
            }
            url += encoded(cwd) + QString::fromLatin1(QUrl::toPercentEncoding(c.remote));
            break;
        }
        case FtpCommand::Verb::Dir:
            url += encoded(cwd);
            break;
        case FtpCommand::Verb::Cd:
            if (!c.remote.isEmpty())
                pendingCwd << c.remote;
            url += encoded(pendingCwd);
            break;
        case FtpCommand::Verb::MkDir:
        case FtpCommand::Verb::Delete: {
            const QString raw = (c.verb == FtpCommand::Verb::MkDir ? QStringLiteral("MKD ")
                                                                   : QStringLiteral("DELE ")) +
                                relative(c.remote);
            startMulti();
            quote = g_curl.slist_append(nullptr, raw.toUtf8().constData());
            break;
        }
        case FtpCommand::Verb::Rename: {
            if (c.remote.isEmpty() || c.newName.isEmpty() || hasLineBreakOrNul(c.newName))
                badArgument(QStringLiteral("No remote file name"));
            startMulti();
            quote = g_curl.slist_append(nullptr, (QStringLiteral("RNFR ") + relative(c.remote)).toUtf8().constData());
            quote = g_curl.slist_append(quote, (QStringLiteral("RNTO ") + relative(c.newName)).toUtf8().constData());
            break;
        }
        case FtpCommand::Verb::Size:
            if (c.remote.isEmpty())
                badArgument(QStringLiteral("No remote file name"));
            url += encoded(cwd) + QString::fromLatin1(QUrl::toPercentEncoding(c.remote));
            break;
        case FtpCommand::Verb::Close:
            break;
        }

        CURL* e = newEasy();
        easy = e;
        const QByteArray urlBytes = url.toUtf8();
        g_curl.easy_setopt(e, CURLOPT_URL, urlBytes.constData());
        g_curl.easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp");
        g_curl.easy_setopt(e, CURLOPT_DEBUGFUNCTION, &Impl::onDebug);
        g_curl.easy_setopt(e, CURLOPT_DEBUGDATA, this);
        g_curl.easy_setopt(e, CURLOPT_VERBOSE, 1L);
        if (!q->UserName.isEmpty()) {
            g_curl.easy_setopt(e, CURLOPT_USERNAME, q->UserName.toUtf8().constData());
            g_curl.easy_setopt(e, CURLOPT_PASSWORD, q->Password.toUtf8().constData());
        }
        // A fresh login for every command: the control keeps the folder.
        g_curl.easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
        g_curl.easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
        g_curl.easy_setopt(e, CURLOPT_FTPPORT, nullptr);   // passive
        const long timeout = std::max<long>(1, q->RequestTimeout);
        g_curl.easy_setopt(e, CURLOPT_CONNECTTIMEOUT, timeout);
        g_curl.easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
        // A time without progress, not a limit on the whole transfer.
        g_curl.easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
        g_curl.easy_setopt(e, CURLOPT_LOW_SPEED_TIME, timeout);
        mlsd = false;
        switch (c.verb) {
        case FtpCommand::Verb::Dir:
            if (mlsdRefusedBy == serverKey()) {
                g_curl.easy_setopt(e, CURLOPT_DIRLISTONLY, 1L);
            } else {
                mlsd = true;
                g_curl.easy_setopt(e, CURLOPT_CUSTOMREQUEST, "MLSD");
            }
            break;
        case FtpCommand::Verb::Size:
            g_curl.easy_setopt(e, CURLOPT_NOBODY, 1L);
            break;
        case FtpCommand::Verb::Send:
            g_curl.easy_setopt(e, CURLOPT_UPLOAD, 1L);
            g_curl.easy_setopt(e, CURLOPT_READFUNCTION, &Impl::onRead);
            g_curl.easy_setopt(e, CURLOPT_READDATA, this);
            g_curl.easy_setopt(e, CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.size()));
            g_curl.easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
            // The last bytes of an upload may sit in the connection's buffers
            // for a while before a slow server has read them and answers: the
            // final reply gets more time than a stall of the data.
            g_curl.easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout * 6);
            break;
        case FtpCommand::Verb::Get:
            g_curl.easy_setopt(e, CURLOPT_BUFFERSIZE, 512L * 1024L);
            break;
        case FtpCommand::Verb::Cd:
            g_curl.easy_setopt(e, CURLOPT_NOBODY, 1L);
            break;
        case FtpCommand::Verb::MkDir:
        case FtpCommand::Verb::Delete:
        case FtpCommand::Verb::Rename:
            g_curl.easy_setopt(e, CURLOPT_NOBODY, 1L);
            g_curl.easy_setopt(e, CURLOPT_QUOTE, quote);
            break;
        case FtpCommand::Verb::Close:
            break;
        }
        begin();
        queueState(icConnecting);
    }

    void begin() {
        busy = true;
        if (g_curl.multi_add_handle(multi, easy) != CURLM_OK) {
            dropEasy();
            download.reset();
            busy = false;
            vb::Raise(vb::errOutOfMemory);
        }
    }

    void checkDone() {
        int left = 0;
        while (CURLMsg* m = g_curl.multi_info_read(multi, &left)) {
            if (m->msg == CURLMSG_DONE && m->easy_handle == easy)
                finish(m->data.result);
        }
    }

    void finish(CURLcode code) {
        result = code;
        done = true;
        long response = 0;
        g_curl.easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response);
        httpStatus = response;
        curl_off_t remoteSize = -1;
        if (cmd.verb == FtpCommand::Verb::Size)
            g_curl.easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &remoteSize);
        if (!http)
            noteConnect();
        const QString error = QString::fromUtf8(errbuf[0] ? errbuf : g_curl.easy_strerror(code));
        dropEasy();
        emit q->RequestEnded();
        if (http)
            return;
        bool ok = code == CURLE_OK;
        QString failure = error;
        if (cmd.verb == FtpCommand::Verb::Get && download) {
            if (ok && !download->commit()) {
                ok = false;
                failure = QStringLiteral("The local file could not be written: ") + download->errorString();
            } else if (!ok) {
                download->cancelWriting();
                download->commit();
            }
            download.reset();
        }
        if (!ok && mlsd && refusalCode >= 500 && refusalCode <= 504) {
            // A server without MLSD: the same listing as bare names.
            mlsdRefusedBy = serverKey();
            const FtpCommand again = cmd;
            try {
                startFtp(again);
                return;
            } catch (...) {
            }
        }
        if (ok) {
            if (cmd.verb == FtpCommand::Verb::Cd)
                cwd = pendingCwd;
            if (cmd.verb == FtpCommand::Verb::Dir)
                takeListing();
            if (cmd.verb == FtpCommand::Verb::Size) {
                chunkText = remoteSize >= 0 ? QString::number(remoteSize) : QString();
                chunkBytes = chunkText.toLatin1();
            }
            queueState(icResponseReceived);
            queueState(icResponseCompleted);
        } else {
            if (refusalCode > 0) {
                q->responseCode_ = refusalCode;
                q->responseInfo_ = refusalText.isEmpty() ? failure : refusalText;
            } else {
                q->responseCode_ = qint32(code);
                q->responseInfo_ = failure;
            }
            q->lastFailed_ = true;
            queueState(icError);
        }
    }

    void takeListing() {
        const QString text = vb::DecodeText(received);
        received.clear();
        QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")));
        QString out;
        for (const QString& line : lines) {
            const QString entry = mlsd ? mlsdEntry(line) : line;
            if (entry.isEmpty())
                continue;
            const QString name = entry.endsWith(QLatin1Char('/')) && mlsd ? entry.chopped(1) : entry;
            if (!cmd.remote.isEmpty() && !maskMatches(name, cmd.remote))
                continue;
            out += entry + QStringLiteral("\r\n");
        }
        chunkText = out;
        chunkBytes = out.toUtf8();
    }
};

InetControl::InetControl(const QString& name, QObject* parent) : QObject(parent), d(new Impl(this)) {
    setObjectName(name);
}

InetControl::~InetControl() = default;

void InetControl::Execute(const FtpCommand& command) {
    if (d->busy)
        vb::Raise(icErrStillExecuting, QStringLiteral("Still executing last request"));
    d->startFtp(command);
}

bool InetControl::StillExecuting() const {
    return d->busy;
}

QVariant InetControl::GetChunk(qint32 size, qint32 type) {
    if (size < 0)
        vb::Raise(vb::errInvalidCall);
    if (type == 1) {
        const QByteArray piece = d->chunkBytes.mid(d->chunkBytesPos, size);
        d->chunkBytesPos += piece.size();
        return piece;
    }
    const QString piece = d->chunkText.mid(d->chunkTextPos, size);
    d->chunkTextPos += piece.size();
    return piece;
}

QString InetControl::CurrentFolder() const {
    return d->cwd.join(QLatin1Char('/'));
}

void InetControl::WaitForProgress(int ms) {
    if (!d->busy) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(this, &InetControl::StateChanged, &loop, &QEventLoop::quit);
    QObject::connect(this, &InetControl::RequestEnded, &loop, &QEventLoop::quit);
    guard.start(ms);
    loop.exec();
}

QString InetControl::OpenURL() {
    if (d->busy)
        vb::Raise(icErrStillExecuting, QStringLiteral("Still executing last request"));
    const QUrl url(URL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        hasLineBreakOrNul(URL))
        badArgument(QStringLiteral("The address is not an http or https address"));

    d->http = true;
    d->done = false;
    d->received.clear();
    d->httpStatus = 0;
    CURL* e = d->newEasy();
    d->easy = e;
    const QByteArray urlBytes = URL.toUtf8();
    g_curl.easy_setopt(e, CURLOPT_URL, urlBytes.constData());
    g_curl.easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    g_curl.easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    g_curl.easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    g_curl.easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
    g_curl.easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(16) * 1024 * 1024);
    const long timeout = std::max<long>(1, RequestTimeout);
    g_curl.easy_setopt(e, CURLOPT_TIMEOUT, timeout);
    g_curl.easy_setopt(e, CURLOPT_CONNECTTIMEOUT, std::min<long>(15, timeout));
    d->begin();
    while (!d->done)
        WaitForProgress(100);
    d->busy = false;
    d->http = false;
    const QByteArray body = std::exchange(d->received, {});
    if (d->result == CURLE_OPERATION_TIMEDOUT)
        vb::Raise(icErrTimeout, QStringLiteral("The request timed out"));
    if (d->result != CURLE_OK)
        vb::Raise(icErrCannotConnect, QStringLiteral("Unable to fetch the document: ") +
                                          QString::fromUtf8(g_curl.easy_strerror(d->result)));
    if (d->httpStatus >= 400)
        vb::Raise(icErrHttpStatus, QStringLiteral("The server answered %1").arg(d->httpStatus));
    return decodeDocument(body);
}

}  // namespace platform

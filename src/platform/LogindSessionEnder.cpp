// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogindSessionEnder.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QVariant>

namespace platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

LogindSessionEnder::LogindSessionEnder(const QDBusConnection& bus, int timeoutMs)
    : bus_(bus), timeoutMs_(timeoutMs) {}

bool LogindSessionEnder::EnableShutdownRight() {
    if (!bus_.isConnected())
        return false;
    for (const char* method : {"CanPowerOff", "CanReboot"}) {
        const QDBusMessage reply = bus_.call(
            QDBusMessage::createMethodCall(kService, kPath, kManager, QString::fromLatin1(method)), QDBus::Block,
            timeoutMs_);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        const QString answer = reply.arguments().constFirst().toString();
        if (answer == QLatin1String("yes") || answer == QLatin1String("challenge"))
            return true;
    }
    return false;
}

bool LogindSessionEnder::EndSession(quint32 flags, QString* why) {
    QDBusMessage call;
    if (flags & SessionRestart) {
        call = QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Reboot"));
        call << true;  // the system may ask for a password
    } else if (flags & (SessionShutDown | SessionPowerOff)) {
        call = QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("PowerOff"));
        call << true;
    } else {
        QString session = qEnvironmentVariable("XDG_SESSION_ID");
        if (session.isEmpty())
            session = QStringLiteral("auto");  // logind's name for the caller's own session
        call = QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("TerminateSession"));
        call << session;
    }
    if (!bus_.isConnected()) {
        if (why)
            *why = QStringLiteral("The system bus cannot be reached: ") + bus_.lastError().message();
        return false;
    }
    const QDBusMessage reply = bus_.call(call, QDBus::Block, timeoutMs_);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    if (why)
        *why = call.member() + QStringLiteral(": ") + reply.errorName() + QStringLiteral(" ") + reply.errorMessage();
    return false;
}

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_GetSystemInfos.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "common/Globals.h"
#include "common/NRV_Registry.h"
#include "platform/Paths.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

OsVersionRecord OsVersionInfo;

namespace {
std::optional<QString> g_loginNameForTest;

QString Label(const char* function) {
    return QString::fromLatin1(function) + QStringLiteral(" of Modul NRV_GetSystemInfos");
}

QString LoginName() {
    if (g_loginNameForTest)
        return *g_loginNameForTest;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    if (const char* login = getlogin())
        return QString::fromLocal8Bit(login);
    return QString();
}

// The system's name from os-release ("Debian GNU/Linux 12 (bookworm)").
QString OsReleaseName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile f(QString::fromLatin1(path));
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&f);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.startsWith(QLatin1String("PRETTY_NAME=")))
                continue;
            QString value = line.mid(12).trimmed();
            if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
                value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            value.replace(QLatin1String("\\\""), QLatin1String("\""));
            if (!value.isEmpty())
                return value;
        }
    }
    return QString();
}

// A host folder in its Windows form, with the 255-character buffer rule.
QString SystemFolder(const char* hostPath) {
    return platform::ToWindows(QString::fromLatin1(hostPath)).left(255);
}
}  // namespace

void SetLoginNameForTest(std::optional<QString> name) { g_loginNameForTest = std::move(name); }

QString ClipNull(const QString& text) {
    QString s = text;
    s.remove(QChar(0));
    return s;
}

QString GetUser() {
    vb::Handler h(Label("GetUser"));
    return h.Guard(QString(), [] {
        constexpr int bufferSize = 25;
        const QString name = LoginName();
        // The name and its closing NUL must fit into the buffer.
        if (name.isEmpty() || name.size() >= bufferSize)
            return QString();
        return name + QString(bufferSize - name.size(), QChar(0));
    });
}

QString GetCompany() {
    vb::Handler h(Label("GetCompany"));
    QString company;
    h.Next(1, [] { GetWinVersion(); });
    h.Next(2, [&] {
        if (OsVersionInfo.platformId == 2)
            company = ReadKey(QStringLiteral(
                "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\RegisteredOrganization"));
        else
            company = ReadKey(QStringLiteral(
                "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RegisteredOrganization"));
    });
    return company;
}

void GetPCInfos() {
    vb::Handler h(Label("GetPCInfos"));
    h.Next(1, [] { UserName = vb::UCase(vb::Trim(ClipNull(GetUser()))); });
    if (UserName.isEmpty())
        UserName = QStringLiteral("GUEST");
    h.Next(2, [] { CompanyName = vb::UCase(vb::Trim(ClipNull(GetCompany()))); });
    if (CompanyName.isEmpty() || CompanyName.contains(QLatin1String("HKEY_LOCAL_MACHINE")))
        CompanyName = QStringLiteral("MYCOMPANY");
}

QString GetSysDir() {
    vb::Handler h(Label("GetSysDir"));
    return h.Guard(QString(), [] { return SystemFolder("/usr/lib"); });
}

QString GetWinDir() {
    vb::Handler h(Label("GetWinDir"));
    return h.Guard(QString(), [] { return SystemFolder("/usr/share"); });
}

QString VersionName(const OsVersionRecord& r) {
    if (r.hostSystem)
        return r.csdVersion.trimmed();
    switch (r.platformId) {
    case 1:  // Windows 95, 98, ME
        if (r.minorVersion < 10)
            return r.buildNumber == 950 ? QStringLiteral("Windows 95") : QStringLiteral("Windows 95 SP1");
        if (r.minorVersion == 10)
            return r.buildNumber == 1998 ? QStringLiteral("Windows 98") : QStringLiteral("Windows 98 SP1");
        return QStringLiteral("Windows ME");
    case 2:  // Windows NT
        switch (r.majorVersion) {
        case 3: return QStringLiteral("Windows NT 3.51");
        case 4: return QStringLiteral("Windows NT 4.0");
        case 5: return r.minorVersion == 0 ? QStringLiteral("Windows 2000") : QStringLiteral("Windows XP");
        default: return QString();
        }
    case 3:  // Windows CE
        if (r.majorVersion == 1)
            return QStringLiteral("Windows CE 1.0");
        if (r.majorVersion == 2)
            return r.minorVersion == 0 ? QStringLiteral("Windows CE 2.0") : QStringLiteral("Windows CE 2.1");
        return QStringLiteral("Windows CE 3.0");
    default:
        return QStringLiteral("Unable To Get Windows Version");
    }
}

QString GetWinVersion() {
    vb::Handler h(Label("GetWinVersion"));
    QString text;
    h.Next(1, [] {
        OsVersionInfo = OsVersionRecord{};
        OsVersionInfo.csdVersion = QString(128, QLatin1Char(' '));
    });
    h.Next(2, [] {
        utsname u{};
        if (uname(&u) != 0)
            return;
        const QString release = QString::fromLocal8Bit(u.release);
        static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
        const QRegularExpressionMatch m = numbers.match(release);
        OsVersionInfo.majorVersion = m.captured(1).toUInt();
        OsVersionInfo.minorVersion = m.captured(2).toUInt();
        OsVersionInfo.buildNumber = m.captured(3).toUInt();
        OsVersionInfo.platformId = 2;
        QString name = OsReleaseName();
        if (name.isEmpty())
            name = QString::fromLocal8Bit(u.sysname) + QLatin1Char(' ') + release;
        OsVersionInfo.csdVersion = name.left(127);
        OsVersionInfo.hostSystem = true;
    });
    h.Next(3, [&] { text = VersionName(OsVersionInfo); });
    return text;
}

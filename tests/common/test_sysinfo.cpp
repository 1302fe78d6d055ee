// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QRegularExpression>
#include <sys/utsname.h>

#include "CommonTest.h"
#include "common/Globals.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Registry.h"
#include "platform/Registry.h"
#include "vb/ErrorHandling.h"

namespace {
class SysInfoTest : public CommonTest {
protected:
    void TearDown() override {
        SetLoginNameForTest(std::nullopt);
        vb::Quiet([] { platform::RegDelete(kOrgPath); });
        CommonTest::TearDown();
    }
    static inline const QString kOrgPath =
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\RegisteredOrganization";
};
}  // namespace

TEST_F(SysInfoTest, UserNameFromTheLoginName) {
    struct Case {
        QString login;
        QString userName;
    } cases[] = {
        {" alice ", "ALICE"},
        {"Bob Smith", "BOB SMITH"},
        {"", "GUEST"},
        {"   ", "GUEST"},
        {QString(24, 'x'), QString(24, 'X')},
        {QString(25, 'x'), "GUEST"},  // does not fit the 25-character buffer
    };
    for (const Case& c : cases) {
        SetLoginNameForTest(c.login);
        GetPCInfos();
        EXPECT_EQ(UserName, c.userName) << c.login.toStdString();
    }
    SetLoginNameForTest("carol");
    EXPECT_EQ(GetUser().size(), 25);
    EXPECT_EQ(ClipNull(GetUser()), "carol");
}

TEST_F(SysInfoTest, RealLoginNameIsRead) {
    GetPCInfos();
    EXPECT_FALSE(UserName.isEmpty());
    EXPECT_EQ(UserName, UserName.toUpper());
}

// The host keeps no organisation: it reads as empty, without an error line.
TEST_F(SysInfoTest, NoRegisteredOrganisationGivesMyCompanyWithoutAnError) {
    GetPCInfos();
    EXPECT_EQ(CompanyName, "MYCOMPANY");
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
}

TEST_F(SysInfoTest, RegisteredOrganisationIsCleaned) {
    struct Case {
        QString stored;
        QString company;
    } cases[] = {
        {QString(" acme ltd ") + QChar(0), "ACME LTD"},
        {"", "MYCOMPANY"},
        {"see HKEY_LOCAL_MACHINE", "MYCOMPANY"},
        {"hkey_local_machine", "MYCOMPANY"},  // upper-cased before the test
    };
    for (const Case& c : cases) {
        platform::RegWrite(kOrgPath, c.stored);
        GetPCInfos();
        EXPECT_EQ(CompanyName, c.company) << c.stored.toStdString();
    }
}

TEST_F(SysInfoTest, VersionTableForWindowsRecords) {
    struct Case {
        quint32 platform, major, minor, build;
        const char* name;
    } cases[] = {
        {1, 4, 0, 950, "Windows 95"},      {1, 4, 0, 1111, "Windows 95 SP1"},
        {1, 4, 10, 1998, "Windows 98"},    {1, 4, 10, 2222, "Windows 98 SP1"},
        {1, 4, 90, 3000, "Windows ME"},    {2, 3, 51, 1057, "Windows NT 3.51"},
        {2, 4, 0, 1381, "Windows NT 4.0"}, {2, 5, 0, 2195, "Windows 2000"},
        {2, 5, 1, 2600, "Windows XP"},     {2, 5, 2, 3790, "Windows XP"},
        {2, 6, 0, 6000, ""},               {3, 1, 0, 0, "Windows CE 1.0"},
        {3, 2, 0, 0, "Windows CE 2.0"},    {3, 2, 11, 0, "Windows CE 2.1"},
        {3, 3, 0, 0, "Windows CE 3.0"},    {0, 0, 0, 0, "Unable To Get Windows Version"},
        {7, 1, 0, 0, "Unable To Get Windows Version"},
    };
    for (const Case& c : cases) {
        OsVersionRecord r;
        r.platformId = c.platform;
        r.majorVersion = c.major;
        r.minorVersion = c.minor;
        r.buildNumber = c.build;
        EXPECT_EQ(VersionName(r), QString(c.name)) << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST_F(SysInfoTest, HostVersionNamesTheRealSystem) {
    const QString name = GetWinVersion();
    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    const QStringList numbers = QString(u.release).split(QRegularExpression("[^0-9]+"));
    EXPECT_EQ(OsVersionInfo.platformId, 2u);
    EXPECT_EQ(OsVersionInfo.size, 148u);
    EXPECT_EQ(OsVersionInfo.majorVersion, numbers.value(0).toUInt());
    EXPECT_EQ(OsVersionInfo.minorVersion, numbers.value(1).toUInt());
    EXPECT_FALSE(name.isEmpty());
    EXPECT_FALSE(name.startsWith("Windows"));
    QFile osRelease("/etc/os-release");
    if (osRelease.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(osRelease.readAll());
        const QRegularExpressionMatch m = QRegularExpression("PRETTY_NAME=\"?([^\"\\n]*)").match(text);
        if (m.hasMatch()) {
            EXPECT_EQ(name, m.captured(1));
        }
    }
}

TEST_F(SysInfoTest, SystemFoldersInWindowsForm) {
    EXPECT_EQ(GetSysDir(), "Z:\\usr\\lib");
    EXPECT_EQ(GetWinDir(), "Z:\\usr\\share");
    EXPECT_EQ(ClipNull(QString("a") + QChar(0) + "b" + QChar(0)), "ab");
}

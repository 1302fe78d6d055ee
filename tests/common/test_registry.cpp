// SPDX-License-Identifier: GPL-3.0-or-later
#include <pwd.h>
#include <unistd.h>

#include "CommonTest.h"
#include "common/NRV_Registry.h"

namespace {
class RegistryTest : public CommonTest {};
const QString kBase = "HKEY_CURRENT_USER\\Software\\VaultoraTest\\Helpers\\";
}  // namespace

TEST_F(RegistryTest, WriteReadDeleteRoundTrip) {
    const QString value = kBase + "Greeting";
    CreateKey(value, "hello world");
    EXPECT_EQ(ReadKey(value), "hello world");
    CreateKey(value, "second");
    EXPECT_EQ(ReadKey(value), "second");
    DeleteKey(value);
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
    EXPECT_EQ(ReadKey(value), "");
}

TEST_F(RegistryTest, TrailingBackslashNamesTheDefaultValue) {
    const QString key = kBase + "Sound\\.Current\\";
    CreateKey(key, "%SystemRoot%\\media\\ding.wav");
    EXPECT_EQ(ReadKey(key), "%SystemRoot%\\media\\ding.wav");
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(RegistryTest, AMissingValueIsLoggedWithItsPath) {
    const QString path = kBase + "Nothing\\Here";
    int lit = 0;
    SetErrorIndicatorHook([&] { ++lit; });
    EXPECT_EQ(ReadKey(path), "");
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2) << lines.join("\n").toStdString();
    EXPECT_TRUE(lines[0].contains("  ReadKey of Modul NRV_Registry  ")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], path);
    EXPECT_EQ(lit, 1);
}

// Values Windows keeps that the host has an equivalent for are answered
// without an error; a value written takes their place.
TEST_F(RegistryTest, HostEquivalentsOfWindowsValues) {
    const QString nt = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\";
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    QString fullName = QString::fromLocal8Bit(pw->pw_gecos).section(',', 0, 0).trimmed();
    if (fullName.isEmpty())
        fullName = QString::fromLocal8Bit(pw->pw_name);
    EXPECT_EQ(ReadKey(nt + "RegisteredOwner"), fullName);
    EXPECT_EQ(ReadKey("hkey_local_machine\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RegisteredOwner"), fullName);
    EXPECT_EQ(ReadKey(nt + "RegisteredOrganization"), "");
    EXPECT_EQ(ReadKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO"), "");
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
    CreateKey(nt + "RegisteredOrganization", "Acme");
    EXPECT_EQ(ReadKey(nt + "RegisteredOrganization"), "Acme");
    DeleteKey(nt + "RegisteredOrganization");
    EXPECT_EQ(ReadKey(nt + "RegisteredOrganization"), "");
}

// SPDX-License-Identifier: GPL-3.0-or-later
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

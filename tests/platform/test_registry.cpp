// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFileInfo>
#include <functional>

#include "support/TestEnv.h"
#include "platform/Registry.h"
#include "vb/VbError.h"

using namespace platform;

namespace {

vb::VbError errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e;
    }
    return vb::VbError(0, "no error");
}

// A Windows path for a host path outside the home folder (Z: is "/").
QString windowsPath(QString host) { return "Z:" + host.replace('/', '\\'); }

}  // namespace

TEST(Registry, WrittenValuesReadBackByAnySpellingOfThePath) {
    RegWrite("HKEY_CURRENT_USER\\Software\\RegT\\Run\\Vaultora", "C:\\Vaultora\\vaultora");
    const char* spellings[] = {
        "HKEY_CURRENT_USER\\Software\\RegT\\Run\\Vaultora",
        "HKCU\\Software\\RegT\\Run\\Vaultora",
        "hkcu\\software\\regt\\run\\VAULTORA",
        "Hkey_Current_User\\SOFTWARE\\RegT\\Run\\vaultora",
    };
    for (const char* p : spellings)
        EXPECT_EQ(RegRead(p), "C:\\Vaultora\\vaultora") << p;
    // The roots are apart from each other.
    EXPECT_EQ(errorOf([] { RegRead("HKLM\\Software\\RegT\\Run\\Vaultora"); }).number(), kRegistryNotFound);
    RegWrite("HKLM\\Software\\RegT\\Run\\Vaultora", "machine");
    EXPECT_EQ(RegRead("HKEY_LOCAL_MACHINE\\Software\\RegT\\Run\\Vaultora"), "machine");
    EXPECT_EQ(RegRead("HKCU\\Software\\RegT\\Run\\Vaultora"), "C:\\Vaultora\\vaultora");
    for (const char* root : {"HKCR", "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_CURRENT_CONFIG"}) {
        RegWrite(QString(root) + "\\RegT\\v", root);
        EXPECT_EQ(RegRead(QString(root) + "\\RegT\\v"), root);
    }
}

TEST(Registry, MissingValuesRaiseTheScriptHostError) {
    const QString path = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NoSuchValue";
    const vb::VbError e = errorOf([&] { RegRead(path); });
    EXPECT_EQ(e.number(), -2147024894);
    EXPECT_EQ(e.description(), "Unable to open registry key \"" + path + "\" for reading.");
    // A key that exists but has no default value.
    RegWrite("HKCU\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.Current\\Other", "x");
    EXPECT_EQ(errorOf([] { RegRead("HKCU\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.Current\\"); }).number(),
              kRegistryNotFound);
    // Bad paths: unknown root, no value name at all, empty levels.
    for (const char* bad : {"HKEY_NOWHERE\\X\\Y", "Software\\X", "HKCU", "HKCU\\A\\\\B"})
        EXPECT_EQ(errorOf([&] { RegRead(bad); }).number(), 5) << bad;
    EXPECT_EQ(errorOf([] { RegWrite("HKXX\\A\\B", "v"); }).number(), 5);
}

TEST(Registry, TrailingBackslashMeansTheDefaultValue) {
    RegWrite("HKCU\\Software\\RegDef\\Sub\\", "the default");
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDef\\Sub\\"), "the default");
    RegWrite("HKCU\\Software\\RegDef\\Sub\\Named", "named");
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDef\\Sub\\"), "the default");
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDef\\Sub\\Named"), "named");
    // Writing a key path creates the key with its parents.
    RegWrite("HKCU\\Software\\RegDef\\New\\Key\\", "");
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDef\\New\\Key\\"), "");
    EXPECT_EQ(errorOf([] { RegRead("HKCU\\Software\\RegDef\\New\\"); }).number(), kRegistryNotFound);
}

TEST(Registry, DeleteRemovesAValueOrAKeyWithItsSubkeys) {
    RegWrite("HKCU\\Software\\RegDel\\Keep", "1");
    RegWrite("HKCU\\Software\\RegDel\\Tree\\", "d");
    RegWrite("HKCU\\Software\\RegDel\\Tree\\v", "2");
    RegWrite("HKCU\\Software\\RegDel\\Tree\\Sub\\Deeper\\w", "3");
    RegWrite("HKCU\\Software\\RegDel\\TreeTwin\\v", "4");

    RegDelete("HKCU\\Software\\RegDel\\Tree\\V");  // a value, any case
    EXPECT_EQ(errorOf([] { RegRead("HKCU\\Software\\RegDel\\Tree\\v"); }).number(), kRegistryNotFound);
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDel\\Tree\\"), "d");

    RegDelete("hkcu\\software\\regdel\\tree\\");  // the key and all below it
    for (const char* gone : {"HKCU\\Software\\RegDel\\Tree\\", "HKCU\\Software\\RegDel\\Tree\\Sub\\Deeper\\w"})
        EXPECT_EQ(errorOf([&] { RegRead(gone); }).number(), kRegistryNotFound) << gone;
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDel\\TreeTwin\\v"), "4");
    EXPECT_EQ(RegRead("HKCU\\Software\\RegDel\\Keep"), "1");

    const vb::VbError e = errorOf([] { RegDelete("HKCU\\Software\\RegDel\\Nothing"); });
    EXPECT_EQ(e.number(), kRegistryNotFound);
    EXPECT_EQ(e.description(), "Unable to remove registry key \"HKCU\\Software\\RegDel\\Nothing\".");
    EXPECT_EQ(errorOf([] { RegDelete("HKCU\\Software\\RegDel\\Tree\\"); }).number(), kRegistryNotFound);
    EXPECT_EQ(errorOf([] { RegDelete("HKCU\\"); }).number(), 5);  // a root stays
}

TEST(Registry, Regedit4ExportBytes) {
    RegWrite("HKCU\\Software\\Exp\\", "top default");
    RegWrite("HKCU\\Software\\Exp\\Path", "C:\\Data \"x\"");
    RegWrite("HKCU\\Software\\Exp\\a\\z\\Deep", "1");
    RegWrite("HKCU\\Software\\Exp\\a b\\Name", "2");
    RegWrite("HKCU\\Software\\EXP\\A\\Second", "3");  // the keys keep their first spelling
    RegWrite("HKCU\\Software\\Exp\\Empty\\x", "1");
    RegDelete("HKCU\\Software\\Exp\\Empty\\x");
    RegWrite("HKCU\\Software\\Exp\\Path\\\"q\"", "ü");  // a key named like a value, and a quoted name

    const QString file = testenv::tempDir("regexport") + "/20240131registry.reg";
    ASSERT_TRUE(ExportRegedit4("HKEY_CURRENT_USER\\Software\\Exp", windowsPath(file)));
    const QByteArray expected =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp]\r\n"
        "@=\"top default\"\r\n"
        "\"Path\"=\"C:\\\\Data \\\"x\\\"\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\a]\r\n"
        "\"Second\"=\"3\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\a\\z]\r\n"
        "\"Deep\"=\"1\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\a b]\r\n"
        "\"Name\"=\"2\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\Empty]\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\Path]\r\n"
        "\"\\\"q\\\"\"=\"\xc3\xbc\"\r\n"
        "\r\n";
    EXPECT_EQ(testenv::readFile(file), expected);

    // The same tree through a short root and a trailing backslash.
    const QString again = testenv::tempDir("regexport") + "/again.reg";
    ASSERT_TRUE(ExportRegedit4("hkcu\\software\\exp\\", windowsPath(again)));
    EXPECT_EQ(testenv::readFile(again), expected);
}

TEST(Registry, TextExportBytes) {
    RegWrite("HKCU\\Software\\ExpText\\", "def");
    RegWrite("HKCU\\Software\\ExpText\\Path", "C:\\x");
    RegWrite("HKCU\\Software\\ExpText\\Sub\\", "");
    RegDelete("HKCU\\Software\\ExpText\\Sub\\");
    RegWrite("HKCU\\Software\\ExpText\\Sub\\Only", "o");

    const QString file = testenv::tempDir("regexport") + "/20240131registry.txt";
    ASSERT_TRUE(ExportRegistryText("HKCU\\Software\\ExpText", windowsPath(file)));
    const QByteArray expected =
        "Key Name:          HKEY_CURRENT_USER\\Software\\ExpText\r\n"
        "Class Name:        <NO CLASS>\r\n"
        "Value 0\r\n"
        "  Name:            <NO NAME>\r\n"
        "  Type:            REG_SZ\r\n"
        "  Data:            def\r\n"
        "\r\n"
        "Value 1\r\n"
        "  Name:            Path\r\n"
        "  Type:            REG_SZ\r\n"
        "  Data:            C:\\x\r\n"
        "\r\n"
        "\r\n"
        "Key Name:          HKEY_CURRENT_USER\\Software\\ExpText\\Sub\r\n"
        "Class Name:        <NO CLASS>\r\n"
        "Value 0\r\n"
        "  Name:            Only\r\n"
        "  Type:            REG_SZ\r\n"
        "  Data:            o\r\n"
        "\r\n"
        "\r\n";
    EXPECT_EQ(testenv::readFile(file), expected);
}

TEST(Registry, ExportOfAMissingKeyOrToABadFileFails) {
    const QString dir = testenv::tempDir("regexport");
    EXPECT_FALSE(ExportRegedit4("HKCU\\Software\\NoSuchKey", windowsPath(dir + "/none.reg")));
    EXPECT_FALSE(QFileInfo::exists(dir + "/none.reg"));
    RegWrite("HKCU\\Software\\ExpBad\\v", "1");
    EXPECT_FALSE(ExportRegedit4("HKCU\\Software\\ExpBad", windowsPath(dir + "/no/such/folder/x.reg")));
    EXPECT_FALSE(ExportRegistryText("HKCU\\Software\\ExpBad", windowsPath(dir + "/no/such/folder/x.txt")));
}

TEST(Registry, FullExportHoldsEveryRoot) {
    RegWrite("HKCU\\Software\\ExpAll\\v", "1");
    const QString file = testenv::tempDir("regexport") + "/all.reg";
    ASSERT_TRUE(ExportRegedit4("", windowsPath(file)));
    const QString text = QString::fromUtf8(testenv::readFile(file));
    EXPECT_TRUE(text.startsWith("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n"));
    for (const char* root : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
        EXPECT_TRUE(text.contains(QString("\r\n[%1]\r\n").arg(root))) << root;
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\ExpAll]\r\n\"v\"=\"1\"\r\n"));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// `cmake --install` into a prefix of this test: the portable program folder
// with its desktop entry and icon, an installed program that runs from
// there, and an install over it that leaves the user's files alone.
#include <QProcess>
#include <algorithm>

#include "destinations/MailPeers.h"
#include "run/ZipRunFixture.h"
#include "settings/SaveSettings.h"
#include "settings/SettingsKeys.h"

using namespace ziprun;

namespace {

class Install : public ZipRunTest {
protected:
    // Installs this build under `prefix`; true when cmake says it went.
    static bool InstallInto(const QString& prefix) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(VAULTORA_CMAKE_COMMAND),
                {QStringLiteral("--install"), QStringLiteral(VAULTORA_BUILD_DIR), QStringLiteral("--prefix"), prefix});
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        EXPECT_TRUE(ok) << p.readAll().toStdString();
        return ok;
    }
    static QString Output(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }
};

}  // namespace

TEST_F(Install, TheProgramFolderRunsFromThePrefixAndAReinstallKeepsTheUsersFiles) {
    // A blank in the prefix, as a home folder may have one.
    const QString prefix = testenv::tempDir(QStringLiteral("installed")) + QStringLiteral("/my programs");
    ASSERT_TRUE(InstallInto(prefix));
    const QString program = prefix + QStringLiteral("/Vaultora/vaultora");

    for (const char* file : {"Vaultora/vaultora", "Vaultora/libglimmora.so", "Common/language/english.lng",
                             "Common/bitmap/seagull.gif", "Common/bitmap/n.r.v2.gif", "Common/avi/compress.avi",
                             "share/icons/hicolor/48x48/apps/vaultora.png",
                             "share/icons/hicolor/256x256/apps/vaultora.png"})
        EXPECT_TRUE(QFileInfo(prefix + QLatin1Char('/') + QLatin1String(file)).isFile()) << file;
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    // The installed program takes the image control library beside it.
    EXPECT_TRUE(Output(QStringLiteral("ldd"), {program})
                    .contains(QStringLiteral("libglimmora.so => ") + prefix + QStringLiteral("/Vaultora/libglimmora.so")));
    const QStringList entry =
        QString::fromUtf8(testenv::readFile(prefix + QStringLiteral("/share/applications/vaultora.desktop")))
            .split(QLatin1Char('\n'));
    EXPECT_EQ(entry.value(0), QStringLiteral("[Desktop Entry]"));
    EXPECT_TRUE(entry.contains(QStringLiteral("Exec=\"") + program + QLatin1Char('"'))) << entry.join('\n').toStdString();
    EXPECT_TRUE(entry.contains(QStringLiteral("Icon=vaultora")));
    EXPECT_TRUE(entry.contains(QStringLiteral("Type=Application")));

    // A small profile, run by the installed program in its own folder.
    WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    Save_Settings();
    ASSERT_TRUE(QFile::copy(testenv::programDir() + QStringLiteral("/P.pfl"), prefix + QStringLiteral("/Vaultora/P.pfl")));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("VAULTORA_PROGRAM_DIR"));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(program, {QStringLiteral("/run"), QStringLiteral("/profile:P"), QStringLiteral("/dir:") + Win(dest)});
    ASSERT_TRUE(run.waitForFinished(60000)) << run.readAll().toStdString();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAll().toStdString();
    const QStringList archives = FilesIn(dest, QStringLiteral("*.zip"));
    ASSERT_EQ(archives.size(), 1);
    EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + archives.at(0)));
    // Its error log is the one beside its own folder.
    EXPECT_TRUE(QFileInfo(prefix + QStringLiteral("/Common/error.log")).isFile());

    // What the user has in the program folder outlives an install over it.
    const QMap<QString, QByteArray> mine = {
        {QStringLiteral("Vaultora/P.pfl"), testenv::readFile(prefix + QStringLiteral("/Vaultora/P.pfl"))},
        {QStringLiteral("Vaultora/Work.pfl"), "C:\\Work\\*.*\r\n-1\r\n"},
        {QStringLiteral("Vaultora/Work.bak"), "C:\\Old\\*.*\r\n-1\r\n"},
        {QStringLiteral("Vaultora/Temp/kept.txt"), "kept"},
        {QStringLiteral("Common/error.log"), "the user's error log\r\n"},
    };
    for (auto it = mine.begin(); it != mine.end(); ++it)
        testenv::writeFile(prefix + QLatin1Char('/') + it.key(), it.value());
    ASSERT_TRUE(InstallInto(prefix));
    for (auto it = mine.begin(); it != mine.end(); ++it)
        EXPECT_EQ(testenv::readFile(prefix + QLatin1Char('/') + it.key()), it.value()) << it.key().toStdString();
}

// The installed program loads its network module from its own folder for
// the e-mail notice; without the module the notice fails with the reason in
// the error log and the exit status, and the program neither crashes nor
// reports success.
TEST_F(Install, TheNoticeGoesThroughTheModuleBesideTheProgramAndFailsClearlyWithoutIt) {
    const QString prefix = testenv::tempDir(QStringLiteral("installed"));
    ASSERT_TRUE(InstallInto(prefix));
    const QString folder = prefix + QStringLiteral("/Vaultora");
    ASSERT_TRUE(QFileInfo(folder + QStringLiteral("/libvaultora_network.so")).isFile());

    mailpeer::SmtpSink sink;
    ASSERT_GT(sink.port, 0);
    WriteSource(QStringLiteral("a.txt"), QByteArray("a file\n"));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    settings::WriteUser(QStringLiteral("txtSMTPserver"), QStringLiteral("127.0.0.1"));
    settings::WriteUser(QStringLiteral("txtSMTPport"), QString::number(sink.port));
    settings::WriteProfile(QStringLiteral("txtSMTPeMail"), QStringLiteral("backup@example.org"));
    f().chkSendEmail->setValue(1);
    Save_Settings();
    ASSERT_TRUE(QFile::copy(testenv::programDir() + QStringLiteral("/P.pfl"), folder + QStringLiteral("/P.pfl")));

    auto runInstalled = [&](QString* said) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VAULTORA_PROGRAM_DIR"));
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(folder + QStringLiteral("/vaultora"),
                  {QStringLiteral("/run"), QStringLiteral("/profile:P"), QStringLiteral("/dir:") + Win(dest)});
        EXPECT_TRUE(run.waitForFinished(60000));
        *said = QString::fromLocal8Bit(run.readAll());
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << said->toStdString();
        return run.exitCode();
    };
    const QString errorLog = prefix + QStringLiteral("/Common/error.log");
    QString said;
    EXPECT_EQ(runInstalled(&said), 0) << said.toStdString();
    EXPECT_EQ(sink.Messages().size(), 1) << said.toStdString();
    EXPECT_FALSE(QString::fromUtf8(testenv::readFile(errorLog)).contains(QStringLiteral("network library")));

    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/libvaultora_network.so")));
    EXPECT_EQ(runInstalled(&said), 1) << said.toStdString();
    EXPECT_EQ(sink.Messages().size(), 1);
    const QString errors = QString::fromUtf8(testenv::readFile(errorLog));
    EXPECT_TRUE(errors.contains(QStringLiteral("The network library could not be loaded: ")) &&
                errors.contains(QStringLiteral("libvaultora_network.so")))
        << errors.toStdString();
}

// What scripts/run.sh builds, the target "program": the program, its
// libraries and its data, and nothing of the tests.
TEST(StartCommandTarget, BuildsTheProgramAndNoTest) {
    if (QStringLiteral(VAULTORA_GENERATOR) != QLatin1String("Ninja"))
        GTEST_SKIP() << "the build tool's query is Ninja's";
    QProcess p;
    p.start(QStringLiteral(VAULTORA_MAKE_PROGRAM),
            {QStringLiteral("-C"), QStringLiteral(VAULTORA_BUILD_DIR), QStringLiteral("-t"), QStringLiteral("inputs"),
             QStringLiteral("program")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QStringList inputs = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    auto has = [&](const QString& part) {
        return std::any_of(inputs.begin(), inputs.end(), [&](const QString& i) { return i.contains(part); });
    };
    for (const char* needed : {"app/main.cpp", "src/imagecontrol/", "src/vaultora_network/", "src/ui/frmMain_BackUp.cpp"})
        EXPECT_TRUE(has(QLatin1String(needed))) << needed;
    for (const char* test : {"tests/", "gtest", "testsupport"})
        EXPECT_FALSE(has(QLatin1String(test))) << test;
}

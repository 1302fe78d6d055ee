// SPDX-License-Identifier: GPL-3.0-or-later
// A profile made with the set-up wizard, given its sources and destination,
// backs them up when the built program is started with "/run".
#include "ZipRunFixture.h"
#include "settings/SaveSettings.h"
#include "ui/controls/VbTextBox.h"
#include "ui/frmWizard.h"

using namespace ziprun;

namespace {

class WizardProfileRun : public ZipRunTest {};

TEST_F(WizardProfileRun, TheNewProfileBacksUpItsSources) {
    WizardProfileText = LangText(213);
    frmWizard wizard;
    wizard.Form_Load();
    wizard.cmdNext_Click();
    wizard.txtProfile->setText("MyPhotos");
    wizard.cmdNext_Click();
    wizard.cmdFinish_Click();
    ASSERT_EQ(f().cmbProfiles->Text(), "MyPhotos");
    ASSERT_TRUE(QFile::exists(testenv::programDir() + "/MyPhotos.pfl"));
    ASSERT_TRUE(QFile::exists(testenv::programDir() + "/P.pfl")) << "the profile open before was saved";

    const QString a = WriteSource(QStringLiteral("a.jpg"), QByteArray("a picture ").repeated(50));
    AddSource(Win(src) + QStringLiteral("\\*.*"));
    f().txtPathTemp->setText(Win(temp));
    Save_Settings();

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(testenv::builtProgram(), {"/run", "/profile:MyPhotos", "/dir:" + Win(dest) + "\\"});
    ASSERT_TRUE(program.waitForFinished(120000)) << program.readAll().toStdString();
    EXPECT_EQ(program.exitCode(), 0) << program.readAll().toStdString();
    const QStringList zips = FilesIn(dest, QStringLiteral("*.zip"));
    ASSERT_EQ(zips.size(), 1) << FilesIn(dest).join(' ').toStdString() << program.readAll().toStdString();
    EXPECT_TRUE(UnzipTestPasses(dest + "/" + zips[0]));
    const ZipListing z = ReadWithPython(dest + "/" + zips[0]);
    ASSERT_TRUE(z.readable);
    ASSERT_EQ(z.entries.size(), 1);
    EXPECT_EQ(z.find(QStringLiteral("/a.jpg"))->data, testenv::readFile(a));
}

}  // namespace

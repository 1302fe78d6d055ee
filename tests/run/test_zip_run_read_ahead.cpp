// SPDX-License-Identifier: GPL-3.0-or-later
// A ZIP run whose files are read and deflated ahead writes the same volumes,
// byte for byte, as a run that reads each file in its turn; Stop still ends
// it after the file at work.
#include "ZipRunFixture.h"

#include "platform/ZipArchiveState.h"

using namespace ziprun;

namespace {

class ZipRunReadAhead : public ZipRunTest {
protected:
    void TearDown() override {
        platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20);
        ZipRunTest::TearDown();
    }

    void Tree() {
        WriteSource(QStringLiteral("a/empty.txt"), QByteArray());
        WriteSource(QStringLiteral("a/one.txt"), QByteArray("1"));
        WriteSource(QStringLiteral("a/random.bin"), Incompressible(400000, 3));
        QByteArray big;
        while (big.size() < 30 * 1000 * 1000)
            big += "a line of a large, compressible file " + QByteArray::number(big.size()) + "\n";
        WriteSource(QStringLiteral("a/big.log"), big);
        for (int i = 0; i < 12; ++i)
            WriteSource(QStringLiteral("b/f%1.txt").arg(i, 2, 10, QLatin1Char('0')),
                        QByteArray("small file ").repeated(i * 40 + 1));
        WriteSource(QStringLiteral("b/skip.tmp"), QByteArray("excluded by the mask list"));
        AddSource(Win(src) + QStringLiteral("\\a\\*.*"));
        AddSource(Win(src) + QStringLiteral("\\b\\*.*"));
        f().txtExclusions->setText(QStringLiteral("*.tmp"));
        f().chkMaxFiles->setValue(1);
        f().txtMaxFiles->setText(QStringLiteral("5"));
    }

    // The volumes at the destination, by name.
    QMap<QString, QByteArray> Volumes() const {
        QMap<QString, QByteArray> v;
        for (const QString& n : FilesIn(dest, QStringLiteral("*.zip")))
            v.insert(n, testenv::readFile(dest + QLatin1Char('/') + n));
        return v;
    }
};

}  // namespace

TEST_F(ZipRunReadAhead, TheVolumesAreTheSameBytesAsWithoutReadAhead) {
    Tree();
    platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20);
    Run();
    const QMap<QString, QByteArray> plain = Volumes();
    ASSERT_GE(plain.size(), 3);
    for (const QString& n : FilesIn(dest))
        QFile::remove(dest + QLatin1Char('/') + n);

    platform::ZipArchiveState::setReadAhead(4, size_t(128) << 20);
    Run();
    const QMap<QString, QByteArray> ahead = Volumes();
    ASSERT_EQ(ahead.keys(), plain.keys());
    for (const QString& n : plain.keys()) {
        EXPECT_TRUE(ahead.value(n) == plain.value(n)) << n.toStdString();
        EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + n)) << n.toStdString();
    }
    EXPECT_EQ(ErrorLog().toStdString(), "");
}

TEST_F(ZipRunReadAhead, StopEndsTheRunAfterTheFileAtWork) {
    Tree();
    platform::ZipArchiveState::setReadAhead(4, size_t(128) << 20);
    QObject::connect(f().txtTotalFiles, &ui::VbTextBox::Change, f().txtTotalFiles, [this] {
        if (f().txtTotalFiles->Text() == QStringLiteral("6"))
            f().cmdCancelBackUp_Click();
    });
    Run();
    EXPECT_EQ(f().txtTotalFiles->Text(), QStringLiteral("6"));
    EXPECT_EQ(f().txtNews->Text(), LangText(120));
    // The first volume was full and delivered before the Stop; nothing after it.
    EXPECT_EQ(FilesIn(dest, QStringLiteral("*.zip")), QStringList{TodaysName(1)});
    EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + TodaysName(1)));
    EXPECT_TRUE(TempIsClean());
    EXPECT_EQ(ErrorLog().toStdString(), "");
}

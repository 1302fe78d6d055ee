// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped status clips and pictures: every clip the program opens is
// there, plays as a looping animation through the animation control, and
// the splash and wizard pictures have the sizes their windows are laid out for.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QRegularExpression>
#include <QSet>

#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/controls/VbAnimation.h"

namespace {

QString dataDir() { return testenv::sourceDir() + QStringLiteral("/data/Common"); }

// Every clip name that a source file opens, as it is written there.
QSet<QString> clipNamesInSources() {
    QSet<QString> names;
    const QRegularExpression re(QStringLiteral(R"(([A-Za-z0-9_]+\.(?:avi|AVI|Avi))\b)"));
    QDirIterator it(testenv::sourceDir() + QStringLiteral("/src"), {QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = re.globalMatch(text); m.hasNext();) {
            const QString name = m.next().captured(1);
            // The default exclusion list names the extension, not a clip.
            if (name.compare(QStringLiteral(".avi"), Qt::CaseInsensitive) != 0)
                names.insert(name);
        }
    }
    return names;
}

}  // namespace

TEST(ShippedClips, EveryClipTheProgramOpensIsALoopingAnimation) {
    const QSet<QString> names = clipNamesInSources();
    ASSERT_GE(names.size(), 15) << "the scan of the sources found too few clip names to be right";
    const QStringList shipped = QDir(dataDir() + QStringLiteral("/avi")).entryList(QDir::Files);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        // The path layer resolves a name case-insensitively, as Windows does;
        // the file must exist under one spelling only.
        QStringList matches;
        for (const QString& f : shipped)
            if (f.compare(name, Qt::CaseInsensitive) == 0)
                matches << f;
        ASSERT_EQ(matches.size(), 1);
        QMovie movie(dataDir() + QStringLiteral("/avi/") + matches.first());
        ASSERT_TRUE(movie.isValid());
        EXPECT_GE(movie.frameCount(), 12) << "too few frames to move smoothly";
        EXPECT_EQ(movie.loopCount(), -1) << "a clip repeats until it is stopped";
        ASSERT_TRUE(movie.jumpToFrame(0));
        const QImage first = movie.currentImage();
        EXPECT_EQ(first.size(), QSize(80, 60));
        EXPECT_TRUE(first.hasAlphaChannel()) << "the window shows through the clip's background";
        // Something moves: some later frame differs from the first.
        bool moves = false;
        for (int i = 1; i < movie.frameCount() && !moves; ++i)
            moves = movie.jumpToFrame(i) && movie.currentImage() != first;
        EXPECT_TRUE(moves);
    }
}

TEST(ShippedClips, TheAnimationControlPlaysAClipByItsWindowsPath) {
    ui::VbAnimation a(QStringLiteral("Animation1"));
    a.Open(platform::ToWindows(dataDir() + QStringLiteral("/avi/COMPRESS.AVI")));
    a.Play();
    EXPECT_TRUE(a.isPlaying());
    ASSERT_NE(a.movie(), nullptr);
    EXPECT_EQ(a.movie()->currentPixmap().size(), QSize(80, 60));
    a.Stop();
    EXPECT_FALSE(a.isPlaying());
}

TEST(ShippedPictures, SplashAndWizardPicturesHaveTheirSizes) {
    QImageReader logo(dataDir() + QStringLiteral("/bitmap/n.r.v2.gif"));
    EXPECT_EQ(logo.size(), QSize(162, 57));
    const QImage tile(dataDir() + QStringLiteral("/bitmap/seagull.gif"));
    ASSERT_FALSE(tile.isNull());
    // The background tiles without a seam: its opposite edges match.
    for (int y = 0; y < tile.height(); ++y)
        ASSERT_LE(qAbs(qGray(tile.pixel(0, y)) - qGray(tile.pixel(tile.width() - 1, y))), 24) << "row " << y;
    for (int x = 0; x < tile.width(); ++x)
        ASSERT_LE(qAbs(qGray(tile.pixel(x, 0)) - qGray(tile.pixel(x, tile.height() - 1))), 24) << "column " << x;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The news and version check against a small HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include "destinations/FormFixture.h"
#include "destinations/NRV_Internet.h"
#include "destinations/Peers.h"
#include "platform/RtfReader.h"
#include "settings/SettingsKeys.h"
#include "support/TestEnv.h"
#include "ui/QtPrinters.h"
#include "vb/VbError.h"

class NewsCheck : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_TRUE(server.running());
        settings::WriteUser(QStringLiteral("NewsServer"), server.base() + QStringLiteral("/"));
        news = testenv::readFile(testenv::sourceDir() + QStringLiteral("/tests/fixtures/news/nrvnews.rtf"));
        testenv::writeFile(server.root + QStringLiteral("/nrvnews.rtf"), news);
        QFile::remove(StoredList());
    }
    static QString StoredList() { return testenv::programDir() + QStringLiteral("/../temp/versions.txt"); }
    void Publish(const QByteArray& list) { testenv::writeFile(server.root + QStringLiteral("/versions.txt"), list); }
    // The boxes the check showed, as (text, style).
    std::vector<std::pair<QString, int>> Boxes() const {
        std::vector<std::pair<QString, int>> out;
        for (const auto& s : platform::Dialogs::shown())
            if (s.kind == platform::Dialogs::Kind::MessageBox)
                out.emplace_back(s.prompt, s.style);
        return out;
    }
    QString Current() const {
        return LangText(42) + " (" + VersionText + ") of Vaultora.";
    }
    QString Outdated(const QString& text, const QString& listed) const {
        return "Vaultora " + text + " (v. " + listed + ") " + LangText(43) + "\r\n" + LangText(44);
    }
    QString NoConnection() const { return LangText(48) + "\r\n" + LangText(49); }

    peers::HttpServer server{{QStringLiteral("--delay"), QStringLiteral("2")}};
    QByteArray news;
};

TEST_F(NewsCheck, VersionLists) {
    ASSERT_EQ(VersionText, "3.6.7");   // the cases below are written for it
    struct Case {
        const char* name;
        QByteArray list;
        QString text;
        int style;
    };
    const std::vector<Case> cases = {
        {"current", "\"300\",\"3.6.7\"", Current(), 4160},
        {"newer revision", "\"300\",\"3.6.12\"", Outdated(LangText(45), "3.6.12"), 4164},
        {"newer minor", "300,3.7.0\r\n", Outdated(LangText(46), "3.7.0"), 4164},
        {"newer major", "300,4.0.0", Outdated(LangText(47), "4.0.0"), 4164},
        {"older", "\"300\",\"2.9.9\"", Current(), 4160},
        {"older minor, newer revision", "300,3.5.99", Current(), 4160},
        {"record after others", "\"100\",\"9.9.9\"\r\n\"200\",\"1.0.0\"\r\n\"300\",\"3.6.8\"",
         Outdated(LangText(45), "3.6.8"), 4164},
        {"quoted fields with commas", "\"1,300\",\"9,9\"\r\n\"300\",\"3.6.7\"", Current(), 4160},
        {"byte-order mark", "\xEF\xBB\xBF\"300\",\"3.6.7\"", Current(), 4160},
        {"blank code first", "\"100\",\"1.0.0\"\r\n\"  \",\"1.0\"\r\n\"300\",\"9.0.0\"", NoConnection(), 4112},
        {"no record", "\"100\",\"1.0.0\"\r\n\"200\",\"1.0.0\"\r\n", NoConnection(), 4112},
        {"empty answer", "", NoConnection(), 4112},
        {"not a number", "300,3.x.7", NoConnection(), 4112},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Publish(c.list);
        platform::Dialogs::scriptAnswers({});
        form->RtbNews1->setText("old log\r\n");
        ChkNewVersion();
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].first, c.text);
        EXPECT_EQ(boxes[0].second, c.style);
        // The news page replaced the log.
        EXPECT_EQ(form->RtbNews1->Text(), platform::RtfPlainText(QString::fromLatin1(news)));
    }
    // The list is stored with a CR LF after it; the empty answer left 2 bytes.
    EXPECT_EQ(testenv::readFile(StoredList()), "300,3.x.7\r\n");
    // A version that is not a number is a logged error; a missing record is not.
    EXPECT_TRUE(QString::fromUtf8(testenv::readFile(testenv::commonDir() + "/error.log"))
                    .contains("ChkNewVersion of Modul NRV_Internet"));
}

// Yes opens the download page; No does not.
TEST_F(NewsCheck, TheDownloadPageOpensOnYes) {
    Publish("300,3.6.8");
    platform::Dialogs::scriptAnswers({platform::vbYes, true});
    ChkNewVersion();
    const auto& shown = platform::Dialogs::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].kind, platform::Dialogs::Kind::ShellOpen);
    EXPECT_EQ(shown[1].prompt, server.base() + "/products/downloads_e.htm");

    // Clicked again while the server is slow to answer: one check only.
    settings::WriteUser("NewsServer", server.base() + "/slow");
    HttpControl().RequestTimeout = 20;
    platform::Dialogs::scriptAnswers({platform::vbNo});
    QTimer::singleShot(200, [] { ChkNewVersion(); });
    ChkNewVersion();
    EXPECT_EQ(platform::Dialogs::shown().size(), 1);
    settings::WriteUser("NewsServer", server.base());

    // The toolbar's Update command runs the check with the update clip, and
    // puts the window back as it was: the options frame, the button, the
    // clip hidden, the cursor.
    platform::Dialogs::scriptAnswers({platform::vbNo});
    for (bool frameShown : {true, false}) {
        form->Frame7->setVisible(frameShown);
        form->tbTools_ButtonClick(QStringLiteral("Update"));
        EXPECT_EQ(form->Frame7->isHidden(), !frameShown);
        EXPECT_TRUE(form->tbTools->Buttons(16).Enabled());
        EXPECT_TRUE(form->Animation1->isOpen()) << "the update clip was opened";
        EXPECT_TRUE(form->Animation1->isHidden());
        EXPECT_FALSE(form->Animation1->isPlaying());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    ASSERT_EQ(platform::Dialogs::shown().size(), 2);
    EXPECT_EQ(platform::Dialogs::shown()[0].prompt, Outdated(LangText(45), "3.6.8"));
}

// Error answers are no documents, and every request is bounded in time.
TEST_F(NewsCheck, FailedFetchesEndInTheNoConnectionMessage) {
    Publish("300,3.6.7");
    struct Case {
        const char* name;
        std::function<void()> setUp;
        bool listFetched;
    };
    const std::vector<Case> cases = {
        {"no version list (404)", [&] { QFile::remove(server.root + "/versions.txt"); }, true},
        {"no news page (404)", [&] { QFile::remove(server.root + "/nrvnews.rtf"); }, false},
        {"nobody listening", [&] { settings::WriteUser("NewsServer", "http://127.0.0.1:1"); }, false},
        {"a server that does not answer in time",
         [&] {
             settings::WriteUser("NewsServer", server.base() + "/slow");
             HttpControl().RequestTimeout = 1;
         },
         false},
        {"not a web address", [&] { settings::WriteUser("NewsServer", "ftp://127.0.0.1"); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(StoredList());
        c.setUp();
        platform::Dialogs::scriptAnswers({});
        form->RtbNews1->setText("old log\r\n");
        QElapsedTimer t;
        t.start();
        ChkNewVersion();
        EXPECT_LT(t.elapsed(), 4000);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].first, NoConnection());
        EXPECT_EQ(boxes[0].second, 4112);
        EXPECT_EQ(QFile::exists(StoredList()), c.listFetched);
        if (!c.listFetched) {
            EXPECT_EQ(form->RtbNews1->Text(), "old log\r\n");
        }
    }
    // Failed fetches are reported to the user, not logged as errors.
    EXPECT_FALSE(QFile::exists(testenv::commonDir() + "/error.log"));
}

TEST(VersionCompare, MostSignificantPartFirst) {
    struct Case {
        const char* listed;
        int major, minor, revision;
        bool current;
        int text;
    };
    const std::vector<Case> cases = {
        {"3.2.0", 3, 1, 9, false, 46},
        {"3.1.12", 3, 1, 2, false, 45},
        {"2.9.9", 3, 0, 0, true, 0},
        {"3.1.2", 3, 1, 2, true, 0},
        {"4.0.0", 3, 9, 9, false, 47},
        {"3.1.1", 3, 1, 2, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listed);
        const VersionVerdict v = CompareVersions(QString::fromUtf8(c.listed), c.major, c.minor, c.revision);
        EXPECT_EQ(v.current, c.current);
        EXPECT_EQ(v.outdatedText, c.text);
    }
    EXPECT_THROW(CompareVersions("3.x.1", 3, 1, 1), vb::VbError);
    EXPECT_THROW(CompareVersions("3.1.99999", 3, 1, 1), vb::VbError);
}

TEST_F(NewsCheck, HomeLoadsTheNewsIntoTheLogAndKeepsItWithoutAConnection) {
    testenv::writeFile(server.root + QStringLiteral("/nrv/nrvnews.rtf"), news);
    platform::Dialogs::scriptAnswers({});
    form->RtbNews1->setText("old log\r\n");
    form->LoadNews();
    EXPECT_NE(form->RtbNews1->Text(), "old log\r\n");
    EXPECT_EQ(form->RtbNews1->Text(), platform::RtfPlainText(QString::fromLatin1(news)));

    settings::WriteUser("NewsServer", "http://127.0.0.1:1");
    form->RtbNews1->setText("old log\r\n");
    form->LoadNews();
    EXPECT_EQ(form->RtbNews1->Text(), "old log\r\n");
    EXPECT_FALSE(QFile::exists(testenv::commonDir() + "/error.log"));
}

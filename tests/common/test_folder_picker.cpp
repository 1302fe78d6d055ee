// SPDX-License-Identifier: GPL-3.0-or-later
#include <QStandardPaths>

#include "CommonTest.h"
#include "common/NRV_FilePathInput.h"

namespace {
class FolderPickerTest : public CommonTest {};
using platform::Dialogs;

QString Desktop() {
    return platform::ToWindows(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}
}  // namespace

TEST_F(FolderPickerTest, StartFolderAndResult) {
    struct Case {
        const char* what;
        QVariant start, root;
        bool files;
        QVariant answer;
        QString expectStart;
        QString expectResult;
    };
    const QString docs = platform::ToWindows(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const Case cases[] = {
        {"a chosen folder", QString("C:\\Data"), {}, false, QString("C:\\Data\\Sub"), "C:\\Data", "C:\\Data\\Sub"},
        {"cancel", QString("C:\\Data"), {}, false, QString(""), "C:\\Data", ""},
        {"no start, no root: the desktop", {}, {}, false, QString("C:\\x"), Desktop(), "C:\\x"},
        {"no start: the root", {}, QString("C:\\Root"), false, QString("C:\\Root\\a"), "C:\\Root", "C:\\Root\\a"},
        {"start by number", 5, {}, false, QString("C:\\y"), docs, "C:\\y"},
        {"start by numeric text", QString("0"), {}, false, QString("C:\\y"), Desktop(), "C:\\y"},
        {"a file", QString("C:\\Data"), {}, true, QString("C:\\Data\\run.sh"), "C:\\Data", "C:\\Data\\run.sh"},
        {"cut at NUL", QString("C:\\Data"), {}, false, QString("C:\\Data") + QChar(0) + "junk", "C:\\Data",
         "C:\\Data"},
    };
    for (const Case& c : cases) {
        Dialogs::scriptAnswers({c.answer});
        const QString got = BrowseForFolder(nullptr, "Pick", c.start, c.root, c.files);
        EXPECT_EQ(got, c.expectResult) << c.what;
        ASSERT_EQ(Dialogs::shown().size(), 1) << c.what;
        const auto& shown = Dialogs::shown().first();
        EXPECT_EQ(shown.kind, Dialogs::Kind::FolderPicker) << c.what;
        EXPECT_EQ(shown.prompt, "Pick") << c.what;
        EXPECT_EQ(shown.defaultText, c.expectStart) << c.what;
        EXPECT_EQ(shown.style, c.files ? 1 : 0) << c.what;
    }
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join("\n").toStdString();
}

TEST_F(FolderPickerTest, AnEmptyStartFolderIsLoggedAndSelectsNothing) {
    Dialogs::scriptAnswers({QString("C:\\Picked")});
    EXPECT_EQ(BrowseForFolder(nullptr, "Pick", QString(""), {}, false), "C:\\Picked");
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown().first().defaultText, "");
    const QStringList lines = logLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().contains("  BrowseForFolder of Modul NRV_FilePathInput  ")) << lines.last().toStdString();
    EXPECT_TRUE(lines.last().contains("  13  ")) << lines.last().toStdString();
}

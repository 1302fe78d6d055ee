// SPDX-License-Identifier: GPL-3.0-or-later
// The file list and the folder tree on Windows paths (C: is the home folder).
#include <gtest/gtest.h>

#include <QDir>
#include <QKeyEvent>
#include <QSignalSpy>

#include "QtPrinters.h"
#include "support/TestEnv.h"
#include "ui/controls/VbFileListBox.h"
#include "ui/controls/VbFolderTree.h"
#include "vb/VbError.h"

namespace {

// C:\<name> with a few files, a hidden one and two folders.
QString makeFolder(const QString& name) {
    const QString host = testenv::home() + "/" + name;
    QDir(host).removeRecursively();
    for (const char* f : {"b.txt", "A.doc", "noext", ".hidden", "Sub/inner.txt", ".cache/x"})
        testenv::writeFile(host + "/" + f, "x");
    return "C:\\" + name;
}

QStringList entries(const ui::VbFileListBox& f) {
    QStringList out;
    for (int i = 0; i < f.ListCount(); ++i)
        out << f.List(i);
    return out;
}

}  // namespace

TEST(VbFileListBox, ListsTheFolderLikeWindows) {
    const QString folder = makeFolder("FileList");
    ui::VbFileListBox f("File1");
    f.setPath(folder + "\\");
    EXPECT_EQ(f.Path(), folder);  // without the trailing "\"
    struct Case {
        const char* pattern;
        bool hidden;
        QStringList expected;
    } cases[] = {
        {"*.*", false, {"A.doc", "b.txt", "noext"}},
        {"*.*", true, {".hidden", "A.doc", "b.txt", "noext"}},
        {"*.TXT", false, {"b.txt"}},
        {"noext.*", false, {"noext"}},
        {"?.doc;*.txt", false, {"A.doc", "b.txt"}},
    };
    for (const Case& c : cases) {
        f.setHidden(c.hidden);
        f.setPattern(c.pattern);
        EXPECT_EQ(entries(f), c.expected) << c.pattern << " hidden " << c.hidden;
    }
    f.setPattern("*.*");
    f.setHidden(false);
    EXPECT_EQ(f.FileName(), "");
    f.setListIndex(1);
    EXPECT_EQ(f.FileName(), "b.txt");
    f.setSelected(0, true);
    f.setSelected(2, true);
    EXPECT_TRUE(f.Selected(0));
    EXPECT_TRUE(f.Selected(2));
    EXPECT_EQ(f.List(9), "");

    try {
        f.setPath(folder + "\\Missing");
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 76);
    }
    EXPECT_EQ(f.Path(), folder);  // a failed change keeps the folder
    f.setPath("C:");
    EXPECT_EQ(f.Path(), "C:\\");
}

TEST(VbFolderTree, SelectsFoldersAndVirtualNodes) {
    const QString folder = makeFolder("Tree");
    ui::VbFolderTree t("FolderTreeview1");
    QSignalSpy selects(&t, &ui::VbFolderTree::Select);
    t.setSelectedFolder(folder.toLower() + "\\sub\\");  // found without regard to case
    EXPECT_EQ(t.SelectedFolder(), folder + "\\Sub");
    EXPECT_EQ(selects.count(), 1);

    // The folder's children: hidden ones only while ShowHidden is on.
    auto children = [&] {
        QStringList out;
        const QTreeWidgetItem* node = t.currentItem()->parent();
        for (int i = 0; i < node->childCount(); ++i)
            out << node->child(i)->text(0);
        return out;
    };
    EXPECT_EQ(children(), QStringList({"Sub"}));
    t.setShowHidden(true);
    EXPECT_EQ(t.SelectedFolder(), folder + "\\Sub");
    EXPECT_EQ(children(), QStringList({".cache", "Sub"}));

    t.setCurrentItem(t.topLevelItem(0));
    EXPECT_EQ(t.SelectedFolder(), "Desktop");
    t.setCurrentItem(t.topLevelItem(0)->child(0));
    EXPECT_EQ(t.SelectedFolder(), "My Computer");
    try {
        t.setSelectedFolder(folder + "\\Nothing");
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 76);
    }
}

// Folders made or removed after the tree was filled show when their folder
// is opened again, and with F5 for every opened folder; the drives say what
// they stand for.
TEST(VbFolderTree, ReadsFoldersAgainOnOpenAndF5) {
    const QString folder = makeFolder("Fresh");
    const QString host = testenv::home() + "/Fresh";
    ui::VbFolderTree t("FolderTreeview1");
    t.setSelectedFolder(folder);
    QTreeWidgetItem* node = t.currentItem();
    node->setExpanded(true);
    auto children = [&] {
        QStringList out;
        for (int i = 0; i < node->childCount(); ++i)
            out << node->child(i)->text(0);
        return out;
    };
    EXPECT_EQ(children(), QStringList({"Sub"}));

    QDir().mkpath(host + "/New");
    node->setExpanded(false);
    node->setExpanded(true);
    EXPECT_EQ(children(), QStringList({"New", "Sub"}));

    QDir().mkpath(host + "/Another");
    QDir(host + "/Sub").removeRecursively();
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QCoreApplication::sendEvent(&t, &f5);
    EXPECT_EQ(children(), QStringList({"Another", "New"}));
    EXPECT_EQ(t.SelectedFolder(), folder) << "the selection stays";

    QStringList drives;
    const QTreeWidgetItem* computer = t.topLevelItem(0)->child(0);
    for (int i = 0; i < computer->childCount(); ++i)
        drives << computer->child(i)->text(0);
    EXPECT_TRUE(drives.contains("C: (home)")) << drives.join(", ").toStdString();
    EXPECT_TRUE(drives.contains("Z: (/)")) << drives.join(", ").toStdString();
}

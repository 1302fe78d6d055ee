// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTreeWidget>

namespace ui {

// The folder tree: "Desktop" > "My Computer" > the drives (shown with what
// they stand for, "C: (home)") > their folders, read each time a node is
// opened; F5 reads the drives and every opened folder again. SelectedFolder is the Windows path of the
// selected folder, or the name of a virtual node ("Desktop", "My
// Computer"). Select is raised when another node becomes the selected one.
// Hidden folders (names starting with ".") are listed while ShowHidden is
// true.
class VbFolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit VbFolderTree(const QString& name, QWidget* parent = nullptr);

    QString SelectedFolder() const;
    // Opens the tree down to the folder and selects it; 76 when missing.
    void setSelectedFolder(const QString& windowsPath);
    bool ShowHidden() const { return showHidden_; }
    void setShowHidden(bool on);
    // Reads the drives and every opened folder again; what was opened and
    // selected stays so while it exists.
    void Refresh();

    static constexpr const char* kDesktop = "Desktop";
    static constexpr const char* kMyComputer = "My Computer";

signals:
    void Select();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void syncDrives();
    void fill(QTreeWidgetItem* item);
    void refill(QTreeWidgetItem* item);
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& text, const QString& path);
    QTreeWidgetItem* computer_ = nullptr;
    bool showHidden_ = false;
};

}  // namespace ui

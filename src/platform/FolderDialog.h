// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFileDialog>

// The folder picker's window: Qt's own file dialog choosing a folder, held
// inside a root folder when one is given (the user cannot go above it), and
// with includeFiles listing the files too; a selected file is then the answer,
// otherwise the folder. Paths here are host paths.
namespace platform {

class FolderDialog : public QFileDialog {
    Q_OBJECT
public:
    FolderDialog(QWidget* owner, const QString& prompt, const QString& start, const QString& root,
                 bool includeFiles);

    // The chosen folder or file once the dialog was accepted; "" otherwise.
    QString chosen() const { return chosen_; }
    // The folder lies inside the root (or there is no root).
    bool insideRoot(const QString& hostPath) const;
    const QString& root() const { return root_; }

    // Accepts what is selected (or the folder shown when nothing is), as the
    // Choose button does; refuses a place outside the root.
    void accept() override;

private:
    void keepInsideRoot(const QString& folder);
    QString root_;
    bool includeFiles_;
    QString chosen_;
};

}  // namespace platform

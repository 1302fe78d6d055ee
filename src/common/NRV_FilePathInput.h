// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QVariant>

class QWidget;

// The folder picker of the path fields (backup, temp and synchronisation
// folders, the programs run before and after a backup, the restore folder).

// Special folders that a start or root folder may name by number.
enum SpecialFolder : int {
    CSIDL_DESKTOP = 0,
    CSIDL_PERSONAL = 5,       // the user's documents
    CSIDL_DRIVES = 17,        // the computer: all drives, no folder of its own
    CSIDL_PROFILE = 40,       // the user's home folder
};

// Shows the folder dialog and returns the chosen folder as a Windows path, cut
// at the first NUL; "" when cancelled. With bIncludeFiles the dialog lists the
// files too: a chosen file is returned with its full path, and a folder can
// still be chosen.
//
// vStartFolder and vRootFolder are each either a path text or a special
// folder number; a missing root counts as the desktop (0), a missing start
// folder as the root. The dialog opens at the start folder. A root other than
// the desktop holds the dialog: the user cannot go above it, and a start
// folder outside it opens the root. A folder that cannot be turned into a
// location (the empty text, which is neither a path nor a number, raises a
// type mismatch) is logged and leaves the dialog without a preselected folder.
QString BrowseForFolder(QWidget* hWndOwner, const QString& sPrompt, const QVariant& vStartFolder = QVariant(),
                        const QVariant& vRootFolder = QVariant(), bool bIncludeFiles = false);

// The Windows path of a special folder; "" for one that has no folder of its
// own on this computer (the computer, an unknown number).
QString SpecialFolderPath(qint32 csidl);

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbCommonDialog.h"

#include "platform/Dialogs.h"

namespace ui {

VbCommonDialog::VbCommonDialog(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
}

bool VbCommonDialog::ShowOpen() {
    // Start where the last file was chosen.
    QString start;
    const int cut = fileName_.lastIndexOf(QLatin1Char('\\'));
    if (cut > 0)
        start = fileName_.left(cut);
    const QString chosen = platform::OpenFileName(title_, filter_, start);
    if (chosen.isEmpty())
        return false;
    fileName_ = chosen;
    return true;
}

}  // namespace ui

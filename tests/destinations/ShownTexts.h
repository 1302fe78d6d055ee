// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

#include "platform/Dialogs.h"

// The texts of the boxes shown since the answers were scripted, in order.
inline QStringList ShownTexts() {
    QStringList out;
    for (const platform::Dialogs::Shown& s : platform::Dialogs::shown())
        out << s.prompt;
    return out;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>
#include <QStyle>

namespace ui {

// The application style's standard icon `which`, read from the style when it
// is first drawn or measured rather than when it is set: the style decodes
// every size of its picture at once, which a window that nobody sees (an
// unattended run) never needs. Each icon is read once per process; it is
// never null, as the style's own standard icons are not.
QIcon StandardIcon(QStyle::StandardPixmap which);

}  // namespace ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Keeps a window above all normal windows, or puts it back among them,
// without moving or resizing it. A failing step is passed over silently.
void SetTopMost(QWidget* frm);
void SetNotTopMost(QWidget* frm);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Puts a form in the middle of the screen, as forms that centre themselves
// do in their Form_Load.
void CentreOnScreen(QWidget* form);

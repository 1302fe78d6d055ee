// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The user name and e-mail of the common area "NRV\Common"; nothing in the
// program assigns the name, so it is written empty.
extern QString CommonUserName;

// Copies the main window's options into the settings store in one pass: the
// window placement (unless the window is minimised), the current profile's
// source list file, the common user info, the user-level keys and the
// profile keys, each in table order. A write that fails is logged and the
// save goes on with the next one.
void Save_Settings();

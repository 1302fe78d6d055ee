// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QWidget;

// Saves a picture of the whole screen as a Windows bitmap file (FileName, a
// Windows path) and leaves the picture in the clipboard, as the Print Screen
// key does. True when the file was written.
bool Capture_Desktop(QString FileName);
// The same for one of the program's own windows only: nothing else on the
// screen is in the picture, and the clipboard is left alone.
bool Capture_Desktop(QString FileName, QWidget* window);

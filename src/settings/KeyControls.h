// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "settings/SettingsKeys.h"

class QObject;
class frmMain_BackUp;

// The stored list positions of the CD recorder and of the write speed: the
// load keeps them here, the CD recorder panel applies them when it fills its
// lists.
extern qint16 SavedCdDevice;
extern qint16 SavedCdSpeed;

namespace settings {

// The main-window control that holds a key's value: the key's own name,
// "<group>_<n>" for the numbered option keys ("optBuMode0" is element 0 of
// optBuMode), Slider1 for "SldRatio" and cmbProfiles for "ProfileText". nullptr when the window has none.
QObject* ControlOf(frmMain_BackUp& form, const Key& key);
QString ControlNameOf(const Key& key);

// The control's value in stored form ("0"/"1", "-1"/"0", the text, the
// index, the position, the short date text).
QString StoredText(frmMain_BackUp& form, const Key& key);

// Gives a stored text to the control, as the user would set it (so the
// control's own handler runs). A text the control's kind cannot take raises
// the conversion's error and leaves the control as it was. The list index
// keys go into SavedCdDevice / SavedCdSpeed.
void ApplyStoredText(frmMain_BackUp& form, const Key& key, const QString& text);

}  // namespace settings

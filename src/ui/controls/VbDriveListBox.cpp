// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbDriveListBox.h"

#include "platform/Drives.h"
#include "ui/controls/VbControl.h"
#include "vb/VbError.h"

namespace ui {

VbDriveListBox::VbDriveListBox(const QString& name, QWidget* parent) : QComboBox(parent) {
    setObjectName(name);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { emit Change(); });
    Refresh();
}

void VbDriveListBox::Refresh() {
    const QString keep = currentText().left(1).toLower();
    const bool old = blockSignals(true);
    clear();
    int chosen = -1;
    for (const QString& letter : platform::DriveLetters()) {
        QString text = letter.toLower();
        // The label is read only for drives that are there: a drive of a
        // medium that is out, or a network share that does not answer, shows
        // its letter alone.
        const platform::DriveFacts facts = platform::GetDriveFacts(letter);
        if (facts.isReady && !facts.volumeName.isEmpty())
            text += QStringLiteral(" [") + facts.volumeName + QLatin1Char(']');
        // What the letter stands for on this computer.
        const QString meaning = platform::DriveMeaning(letter[0]);
        if (!meaning.isEmpty())
            text += QStringLiteral(" (") + meaning + QLatin1Char(')');
        addItem(text);
        if (text.left(1) == keep || (keep.isEmpty() && text.startsWith(QLatin1Char('c'))))
            chosen = count() - 1;
    }
    setCurrentIndex(chosen >= 0 ? chosen : (count() ? 0 : -1));
    blockSignals(old);
}

void VbDriveListBox::setDrive(const QString& drive) {
    const QString letter = drive.trimmed().left(1).toLower();
    for (int i = 0; i < count(); ++i)
        if (!letter.isEmpty() && itemText(i).left(1) == letter) {
            setCurrentIndex(i);
            return;
        }
    vb::Raise(68);
}

QString VbDriveListBox::List(int index) const {
    return index >= 0 && index < count() ? itemText(index) : QString();
}

void VbDriveListBox::setListIndex(int index) {
    if (index < 0 || index >= count())
        RaiseInvalidValue();
    setCurrentIndex(index);
}

}  // namespace ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QComboBox>

namespace ui {

// A VB drive list: one entry per assigned drive of the drive table, shown
// as "c: [label] (home)" (the letter in lower case, the volume label in
// brackets when the drive has one, then what the drive stands for here). Drive is the text of the chosen entry; its first
// two characters are the drive letter and the colon.
class VbDriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit VbDriveListBox(const QString& name, QWidget* parent = nullptr);

    QString Drive() const { return currentText(); }
    // Chooses the entry of the drive named by the first letter of the text;
    // 68 ("Device unavailable") when no such drive is listed.
    void setDrive(const QString& drive);
    qint16 ListCount() const { return static_cast<qint16>(count()); }
    QString List(int index) const;   // "" outside the list
    qint16 ListIndex() const { return static_cast<qint16>(currentIndex()); }
    void setListIndex(int index);    // 380 outside the list
    // Reads the drive table again, keeping the chosen drive when it is still there.
    void Refresh();

signals:
    void Change();
};

}  // namespace ui

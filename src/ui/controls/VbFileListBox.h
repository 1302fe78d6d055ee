// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QListWidget>

namespace ui {

// A VB file list box: the files of the folder Path (a Windows path) that
// match Pattern ("*.*" lists every file, with or without an extension),
// sorted by name regardless of case. Hidden files (names starting with
// ".") are listed only while Hidden is true; System is kept for the
// program's rules but no file here carries that attribute. Several
// entries can be selected.
class VbFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit VbFileListBox(const QString& name, QWidget* parent = nullptr);

    QString Path() const { return path_; }
    void setPath(const QString& windowsPath);   // 76 when the folder is missing
    QString Pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    bool Hidden() const { return hidden_; }
    void setHidden(bool on);
    bool System() const { return system_; }
    void setSystem(bool on);

    qint16 ListCount() const { return static_cast<qint16>(count()); }
    QString List(int index) const;              // "" outside the list
    bool Selected(int index) const;             // 381 outside the list
    void setSelected(int index, bool selected);
    qint16 ListIndex() const { return static_cast<qint16>(currentRow()); }
    void setListIndex(int index);
    // The name of the current file, without its folder; "" when none.
    QString FileName() const;
    // Reads the folder again.
    void Refresh();

signals:
    void Click();
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool matches(const QString& name) const;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    bool hidden_ = false;
    bool system_ = false;
};

}  // namespace ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QString>

namespace ui {

// The window's open-file dialog. FileName (a Windows path) keeps the last
// file chosen; ShowOpen leaves it unchanged when the user cancels. The
// dialog goes through the program's dialog service, so it never waits
// without a display.
class VbCommonDialog : public QObject {
    Q_OBJECT
public:
    explicit VbCommonDialog(const QString& name, QObject* parent = nullptr);

    QString DialogTitle() const { return title_; }
    void setDialogTitle(const QString& title) { title_ = title; }
    // "Program Files (*.exe)|*.exe|All Files (*.*)|*.*"
    QString Filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }
    QString FileName() const { return fileName_; }
    void setFileName(const QString& windowsPath) { fileName_ = windowsPath; }

    // True when a file was chosen, false when the user cancelled.
    bool ShowOpen();

private:
    QString title_;
    QString filter_;
    QString fileName_;
};

}  // namespace ui

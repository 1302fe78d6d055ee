// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <memory>
#include <optional>

#include "imagecontrol/GlimmoraExport.h"

class QPagedPaintDevice;

namespace glimmora {

// The file-open dialog's settings as the control fills them in: start value
// and result in FileName, the title, a filter list "text|masks|text|masks"
// with the 1-based selected entry, and whether a cancel raises an error.
struct CommonDialog {
    QString FileName;
    QString DialogTitle;
    QString Filter;
    int Flags = 0;
    bool CancelError = false;
    int FilterIndex = 1;
};

// What the control needs of the form that carries it: the container's ambient
// user mode, the extender's name and index, the host form's name, the
// property-change notification, and the services it reaches through the host
// (message boxes, the file-open dialog, the per-user settings store, the
// message loop, the screen's twips per pixel, paths, the printer). The
// dialogs and the settings store are the host's own; the other members have
// defaults for a plain Qt program.
class GLIMMORA_EXPORT Host {
public:
    virtual ~Host();

    // True while the host program runs; false on a form being edited.
    virtual bool UserMode() const = 0;
    // The control's name on its form, and its index in a control array (none
    // when it is not in one).
    virtual QString ExtenderName() const = 0;
    virtual std::optional<int> ExtenderIndex() const { return std::nullopt; }
    virtual QString HostFormName() const = 0;
    // The container learns that a property changed (a design host marks the form).
    virtual void PropertyChanged(const QString& name) {}

    // A message box; style and result use the usual numbers (0 OK only, 4
    // Yes/No; 1 OK, 6 Yes, 7 No).
    virtual int MsgBox(const QString& prompt, int style, const QString& title) = 0;
    // Shows the file-open dialog; false when the user cancelled, otherwise
    // dialog.FileName holds the chosen file.
    virtual bool ShowOpen(CommonDialog& dialog) = 0;
    // The per-user settings store: a string by application name, section and key.
    virtual QString GetSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void SaveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
    // Lets pending window messages run.
    virtual void DoEvents();
    virtual double TwipsPerPixelX() const;
    virtual double TwipsPerPixelY() const;
    // The folder of the control library, in the host's own path form.
    virtual QString LibraryFolder() const;
    // The host file-system path of a path in the host's own form.
    virtual QString FilePath(const QString& path) const;
    // The printer to print on; nullptr when there is no usable printer.
    virtual std::unique_ptr<QPagedPaintDevice> Printer();
};

}  // namespace glimmora

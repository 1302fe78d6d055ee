// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <utility>

#include "imagecontrol/Glimmora.h"
#include "vb/VbError.h"

class QWidget;

// How the program's forms carry the Glimmora image control: the container's
// answers (user mode, the control's and the form's names) and the program's
// own services behind them (the Dialogs service, the settings store, the
// path layer, DoEvents). Paths cross in Windows form.
class GlimmoraSite : public glimmora::Host {
public:
    GlimmoraSite(QString formName, QString controlName, bool userMode = true);

    bool UserMode() const override { return userMode_; }
    QString ExtenderName() const override { return controlName_; }
    QString HostFormName() const override { return formName_; }
    int MsgBox(const QString& prompt, int style, const QString& title) override;
    bool ShowOpen(glimmora::CommonDialog& dialog) override;
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& app, const QString& section, const QString& key, const QString& value) override;
    void DoEvents() override;
    QString LibraryFolder() const override;
    QString FilePath(const QString& path) const override;

private:
    QString formName_;
    QString controlName_;
    bool userMode_;
};

// Creates a form's image control "Glimmora1" as the form stored it: enabled,
// SizeMode 2 (Zoom) in the box sizeWidth x sizeHeight twips. It reads the
// stored properties (a running program never starts a new instance, which
// would open the file dialogs) and owns its site.
glimmora::Glimmora* CreateFormGlimmora(QWidget* form, const QString& formName, float sizeWidth, float sizeHeight);

// Sets the two pictures that the splash and the wizard show: the tiled
// background "..\Common\bitmap\seagull.gif" and the logo "n.r.v2.gif" in
// front, each assignment one layout pass. Errors as GlimmoraCall.
void ShowFormPictures(glimmora::Glimmora* control);

// Runs a call into the control; its error goes on as the VB error of the
// same number and text.
template <class F>
void GlimmoraCall(F&& call) {
    try {
        std::forward<F>(call)();
    } catch (const glimmora::ControlError& e) {
        throw vb::VbError(e.number(), e.description());
    }
}

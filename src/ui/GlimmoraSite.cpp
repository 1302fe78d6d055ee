// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GlimmoraSite.h"

#include <QWidget>

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "vb/DoEvents.h"

GlimmoraSite::GlimmoraSite(QString formName, QString controlName, bool userMode)
    : formName_(std::move(formName)), controlName_(std::move(controlName)), userMode_(userMode) {}

int GlimmoraSite::MsgBox(const QString& prompt, int style, const QString& title) {
    return platform::MsgBox(prompt, style, title);
}

bool GlimmoraSite::ShowOpen(glimmora::CommonDialog& dialog) {
    const QString chosen =
        platform::OpenFileName(dialog.DialogTitle, dialog.Filter, dialog.FileName, dialog.FilterIndex);
    if (chosen.isEmpty())
        return false;
    dialog.FileName = chosen;
    return true;
}

QString GlimmoraSite::GetSetting(const QString& app, const QString& section, const QString& key,
                                 const QString& defaultValue) {
    return platform::GetSetting(app, section, key, defaultValue);
}

void GlimmoraSite::SaveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    platform::SaveSetting(app, section, key, value);
}

void GlimmoraSite::DoEvents() { vb::DoEvents(); }

QString GlimmoraSite::LibraryFolder() const { return platform::ToWindows(glimmora::Host::LibraryFolder()); }

QString GlimmoraSite::FilePath(const QString& path) const { return platform::ToHost(path); }

glimmora::Glimmora* CreateFormGlimmora(QWidget* form, const QString& formName, float sizeWidth, float sizeHeight) {
    auto* site = new GlimmoraSite(formName, QStringLiteral("Glimmora1"));
    auto* control = new glimmora::Glimmora(site, form);
    QObject::connect(control, &QObject::destroyed, [site] { delete site; });
    glimmora::PropertyBag stored;
    stored.Set(QStringLiteral("Enabled"), true);
    stored.Set(QStringLiteral("SizeMode"), qint32(glimmora::Zoom));
    stored.Set(QStringLiteral("SizeWidth"), sizeWidth);
    stored.Set(QStringLiteral("SizeHeight"), sizeHeight);
    control->SetWidth(sizeWidth);
    control->SetHeight(sizeHeight);
    GlimmoraCall([&] { control->ReadProperties(stored); });
    return control;
}

void ShowFormPictures(glimmora::Glimmora* control) {
    const QString bitmaps = platform::ProgramFolder() + QStringLiteral("\\..\\Common\\bitmap\\");
    GlimmoraCall([&] {
        control->SetBackgroundPath(bitmaps + QStringLiteral("seagull.gif"));
        control->SetImagePath(bitmaps + QStringLiteral("n.r.v2.gif"));
    });
}

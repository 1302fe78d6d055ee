// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QMap>
#include <QPdfWriter>
#include <QStringList>
#include <functional>

#include "imagecontrol/Glimmora.h"

// A container for the control in tests: its mode and names are set by the
// test, the dialogs take scripted answers and are recorded, the settings
// store is a map, and 15 twips make a pixel.
struct TestHost : glimmora::Host {
    bool userMode = true;
    QString name = QStringLiteral("Glimmora1");
    std::optional<int> index;
    QString form = QStringLiteral("frmSplash");
    QStringList changed;  // property-change notifications
    struct Box {
        QString prompt;
        int style;
        QString title;
    };
    QList<Box> boxes;
    QList<int> boxAnswers;  // the next answers (default OK / No)
    QList<glimmora::CommonDialog> opened;
    QStringList openAnswers;  // "" cancels
    QMap<QString, QString> settings;
    QString printFile;  // a PDF file to print to; "" means no printer

    bool UserMode() const override { return userMode; }
    QString ExtenderName() const override { return name; }
    std::optional<int> ExtenderIndex() const override { return index; }
    QString HostFormName() const override { return form; }
    void PropertyChanged(const QString& n) override { changed << n; }
    int MsgBox(const QString& prompt, int style, const QString& title) override {
        boxes.append({prompt, style, title});
        if (!boxAnswers.isEmpty())
            return boxAnswers.takeFirst();
        return (style & 15) == 4 ? 7 : 1;
    }
    bool ShowOpen(glimmora::CommonDialog& d) override {
        opened.append(d);
        const QString a = openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        if (a.isEmpty())
            return false;
        d.FileName = a;
        return true;
    }
    QString GetSetting(const QString& app, const QString& section, const QString& key, const QString& def) override {
        return settings.value(app + '|' + section + '|' + key, def);
    }
    void SaveSetting(const QString& app, const QString& section, const QString& key, const QString& v) override {
        settings[app + '|' + section + '|' + key] = v;
    }
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    QString LibraryFolder() const override { return QStringLiteral("C:\\Lib"); }
    std::unique_ptr<QPagedPaintDevice> Printer() override {
        if (printFile.isEmpty())
            return nullptr;
        return std::make_unique<QPdfWriter>(printFile);
    }
    int count(const QString& n) const { return int(changed.count(n)); }
};

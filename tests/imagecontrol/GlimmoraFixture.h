// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <memory>

#include "GlimmoraTestHost.h"
#include "support/TestEnv.h"

// Pictures of known sizes and colours in a folder of the test, and a control
// on a shown host widget.
class GlimmoraTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testenv::tempDir(QStringLiteral("glimmora"));
        QImage wide(40, 20, QImage::Format_RGB32);  // left half red, right half blue
        wide.fill(Qt::blue);
        QPainter(&wide).fillRect(0, 0, 20, 20, Qt::red);
        wide.save(file("wide.png"));
        QImage tall(20, 40, QImage::Format_RGB32);
        tall.fill(Qt::green);
        tall.save(file("tall.png"));
        QImage tile(4, 4, QImage::Format_RGB32);  // yellow with a black corner
        tile.fill(Qt::yellow);
        tile.setPixel(0, 0, qRgb(0, 0, 0));
        tile.save(file("tile.png"));
        QFile::copy(QStringLiteral(VAULTORA_SOURCE_DIR "/tests/fixtures/imagecontrol/anim3.gif"), file("anim3.gif"));
        testenv::writeFile(file("notapicture.gif"), "plain text, not a picture");
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
    }

    QString file(const char* name) const { return dir + QLatin1Char('/') + QLatin1String(name); }

    // A control as a running form has it: the stored properties read in user mode.
    glimmora::Glimmora* stored(const glimmora::PropertyBag& bag, float width = 2430, float height = 855) {
        control = std::make_unique<glimmora::Glimmora>(&host, form.get());
        control->SetWidth(width);
        control->SetHeight(height);
        control->ReadProperties(bag);
        return control.get();
    }
    static glimmora::PropertyBag bag(std::initializer_list<std::pair<const char*, QVariant>> entries) {
        glimmora::PropertyBag b;
        b.Set(QStringLiteral("Enabled"), true);
        for (const auto& [k, v] : entries)
            b.Set(QString::fromLatin1(k), v);
        return b;
    }
    // The control drawn as it is on screen.
    QImage shot() {
        form->show();
        QCoreApplication::processEvents();
        return control->grab().toImage();
    }

    QString dir;
    TestHost host;
    std::unique_ptr<QWidget> form;
    std::unique_ptr<glimmora::Glimmora> control;
};

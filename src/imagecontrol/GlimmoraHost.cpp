// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecontrol/GlimmoraHost.h"

#include <dlfcn.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include "imagecontrol/GlimmoraTypes.h"

namespace glimmora {

ControlError::ControlError(int number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("%1: %2").arg(number).arg(description_).toStdString()) {}

const char* ControlError::what() const noexcept { return what_.c_str(); }

Host::~Host() = default;

void Host::DoEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace {
double twipsPerPixel(bool x) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? (x ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY()) : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
}  // namespace

double Host::TwipsPerPixelX() const { return twipsPerPixel(true); }
double Host::TwipsPerPixelY() const { return twipsPerPixel(false); }

QString Host::LibraryFolder() const {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&twipsPerPixel), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString Host::FilePath(const QString& path) const {
    QString p = path;
    return p.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

std::unique_ptr<QPagedPaintDevice> Host::Printer() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::ScreenResolution);
    if (!printer->isValid())
        return nullptr;
    return printer;
}

}  // namespace glimmora

// SPDX-License-Identifier: GPL-3.0-or-later
// The control's file tests and path helpers, the measuring of the picture,
// the two file-open dialogs, the help and about pages and their print-out.
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPagedPaintDevice>
#include <QPainter>

#include "imagecontrol/Glimmora.h"

namespace glimmora {

namespace {
const QString CrLf = QStringLiteral("\r\n");

// Both "\" and "/" separate folders.
qsizetype lastSeparator(const QString& path) {
    return qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}
}  // namespace

QString Glimmora::GetExtension(const QString& path) {
    if (path.isEmpty())
        return {};
    const QString last = path.mid(lastSeparator(path) + 1);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? last : last.mid(dot + 1);
}

QString Glimmora::GetFolderPart(const QString& path) {
    if (path.isEmpty())
        return {};
    const qsizetype sep = lastSeparator(path);
    return sep < 0 ? QString() : path.left(sep + 1);
}

bool Glimmora::PathIsFile(const QString& path) const {
    try {
        if (path.isEmpty())
            return false;
        const QFileInfo info(host_->FilePath(path));
        return info.exists() && !info.isDir();
    } catch (...) {
        return false;
    }
}

bool Glimmora::MeasureImage(const QString& path) {
    const QString ext = GetExtension(path);
    auto record = [this](bool error, float w, float h) {
        measuring_ = true;
        SetImagePath_ImageError(error);
        SetImagePath_ImageWidth(w);
        SetImagePath_ImageHeight(h);
        measuring_ = false;
    };
    if (ext == QLatin1String("cur") || ext == QLatin1String("ani")) {
        record(true, 0, 0);
        return false;
    }
    bool loaded = false;
    try {
        if (imagePath_.isEmpty()) {
            picture1_ = QImage();  // an empty picture; the box keeps its size
            loaded = true;
        } else {
            QImageReader reader(host_->FilePath(imagePath_));
            const QImage image = reader.read();
            if (!image.isNull()) {
                picture1_ = image;
                picture1Px_ = QSizeF(image.size());
                loaded = true;
            }
        }
    } catch (...) {
        loaded = false;
    }
    if (!loaded) {
        record(true, 0, 0);
        return false;
    }
    const QSizeF size = PictureSize();
    record(false, float(size.width()), float(size.height()));
    return true;
}

void Glimmora::controlName() {
    QString name = host_->ExtenderName();
    const std::optional<int> index = host_->ExtenderIndex();
    if (index && *index >= 0)
        name += QLatin1Char('(') + QString::number(*index) + QLatin1Char(')');
    settingsAppName_ = QString::fromLatin1(kLibraryFileName) + QLatin1Char('.') + host_->HostFormName() +
                       QLatin1Char('.') + name;
}

QString Glimmora::defaultStart(const QString& tail) const {
    QString folder = host_->LibraryFolder();
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    return folder + tail;
}

QString Glimmora::BrowseImage() { return browse(true); }
QString Glimmora::BrowseBackground() { return browse(false); }

QString Glimmora::browse(bool image) {
    const QString section = QStringLiteral("Glimmora");
    const QString key = image ? QStringLiteral("Image file") : QStringLiteral("Background tiling file");
    if (settingsAppName_.isEmpty())
        controlName();
    const QString start = host_->GetSetting(settingsAppName_, section, key,
                                            defaultStart(image ? QStringLiteral("anim\\*.gif") : QStringLiteral("bg\\*.*")));
    CommonDialog dialog;
    dialog.FileName = start;
    const QString title = image ? QStringLiteral("Browse for an Image file")
                                : QStringLiteral("Browse for a Background tiling image (for transparent GIFs)");
    dialog.DialogTitle = host_->UserMode() ? title : title + QStringLiteral(" for Control: ") + settingsAppName_;
    dialog.CancelError = true;
    try {
        dialog.Flags = 0;
        if (image) {
            dialog.Filter = QStringLiteral("GIF (also animated) files (*.gif)|*.gif|All files(*.*)|*.*");
            dialog.FilterIndex = start.endsWith(QLatin1String(".*")) ? 2 : 1;
        } else {
            dialog.Filter = QStringLiteral(
                "Background Image files (*.jpg;*.jpeg;*.bmp;*wmf;*.emf)|*.jpg;*.jpeg;*.bmp;*wmf;*.emf|All files (*.*)|*.*");
            dialog.FilterIndex = 2;
        }
        if (!host_->ShowOpen(dialog) && dialog.CancelError)
            throw ControlError(32755, QStringLiteral("Cancel was selected."));
        const QString chosen = dialog.FileName;
        const QString remembered =
            GetFolderPart(chosen) +
            (image && GetExtension(chosen) == QLatin1String("gif") ? QStringLiteral("*.gif") : QStringLiteral("*.*"));
        host_->SaveSetting(settingsAppName_, section, key, remembered);
        (image ? imageOpenRequested_ : backgroundOpenRequested_) = false;
        return chosen;
    } catch (...) {
    }
    bool& requested = image ? imageOpenRequested_ : backgroundOpenRequested_;
    if (requested) {
        requested = false;
        if (image)
            SetImagePath(savedImagePath_);
        else
            SetBackgroundPath(savedBackgroundPath_);
    }
    return QStringLiteral("cancelled");
}

// ---- help and about ----

QString Glimmora::HelpPage(int page) {
    QStringList l;
    switch (page) {
    case 1:
        l << QStringLiteral("Welcome to the Glimmora image control!") << QString()
          << QStringLiteral("Notes for the programmer of the host application:")
          << QStringLiteral("The control does not keep the picture inside itself: it shows the file")
          << QStringLiteral("that ImagePath names, with the file that BackgroundPath names tiled as")
          << QStringLiteral("the background (behind a transparent GIF picture, or alone).")
          << QStringLiteral("So the picture files must be shipped with your application, for example")
          << QStringLiteral("in the subfolders \"anim\" and \"bg\" of its folder.")
          << QStringLiteral("In a picture viewer this does not matter, because there the file is")
          << QStringLiteral("chosen at run time.");
        break;
    case 2:
        l << QString() << QString() << QStringLiteral("A small picture browser in a few steps:")
          << QStringLiteral("1. Copy the library into the system folder and register it with the")
          << QStringLiteral("   system's registration tool.")
          << QStringLiteral("2. Start a standard project, add the control from the components list")
          << QStringLiteral("   and drop it on a form.") << QStringLiteral("3. Set SizeMode to Auto_Size.")
          << QStringLiteral("4. Add two buttons captioned \"Animation\" and \"Background\"; in their")
          << QStringLiteral("   click handlers write  Glimmora1.ImagePath_OPEN = True  and")
          << QStringLiteral("   Glimmora1.BackgroundPath_OPEN = True.")
          << QStringLiteral("That is all: run the project and browse your pictures.");
        break;
    default:
        l << QString() << QString() << QStringLiteral("Some notes:")
          << QStringLiteral("1. Several size modes are offered (Auto_Size, Zoom, Zoom_LargerOnly,")
          << QStringLiteral("   Stretch); ImagePath and BackgroundPath can also be set directly.")
          << QStringLiteral("2. GIF, BMP, WMF, EMF, JPEG and ICO pictures are shown, so the control")
          << QStringLiteral("   can replace a plain picture box wherever animation and transparency")
          << QStringLiteral("   are wanted.")
          << QStringLiteral("3. Transparency is relative to the loaded background picture; the")
          << QStringLiteral("   control itself is not transparent.")
          << QStringLiteral("Enjoy the control!");
        break;
    }
    return l.join(CrLf);
}

QString Glimmora::AboutText() {
    return QStringList{QStringLiteral("Hello, and thank you for using the Glimmora image control!"), QString(),
                       QStringLiteral("If you find it useful, please support its further development:"),
                       QStringLiteral("send your notes, fixes and pictures to its makers."), QString(),
                       QStringLiteral("The Vaultora developers"),
                       QStringLiteral("Glimmora is free software under the GNU General Public License 3 or later.")}
        .join(CrLf);
}

void Glimmora::showHelp() {
    host_->MsgBox(HelpPage(1), 0, QStringLiteral("Glimmora Help, page 1 of 3 - GENERAL"));
    host_->MsgBox(HelpPage(2), 0, QStringLiteral("Glimmora Help, page 2 of 3 - VB EXAMPLE"));
    const int answer = host_->MsgBox(HelpPage(3) + CrLf + CrLf + CrLf +
                                         QStringLiteral("WANT YOU PRINT-OUT THIS HELP ON YOUR PRINTER?") + CrLf,
                                     4, QStringLiteral("Glimmora Help, page 3 of 3 - SOME NOTES"));
    if (answer == 6)
        PrintText(HelpPage(1) + HelpPage(2) + HelpPage(3));
}

void Glimmora::showAbout() {
    const int answer = host_->MsgBox(AboutText() + CrLf + CrLf + CrLf +
                                         QStringLiteral("WANT YOU PRINT-OUT THIS ABOUT ON YOUR PRINTER?") + CrLf,
                                     4, QStringLiteral("Glimmora About"));
    if (answer == 6)
        PrintText(AboutText());
}

// ---- printing ----

Glimmora::PrintPlan Glimmora::PlanPrint(const QString& text, const QFontMetricsF& metrics, const QSizeF& printable) {
    PrintPlan plan;
    plan.lines = text.split(CrLf);
    plan.lineHeight = metrics.lineSpacing();
    double widest = 0;
    for (const QString& line : plan.lines)
        widest = qMax(widest, metrics.horizontalAdvance(line));
    plan.top = (printable.height() - plan.lineHeight * plan.lines.size()) / 2;
    plan.left = (printable.width() - widest) / 2;
    return plan;
}

void Glimmora::PrintText(const QString& text) {
    std::unique_ptr<QPagedPaintDevice> printer = host_->Printer();
    if (!printer)
        throw ControlError(482, QStringLiteral("Printer error"));
    QPainter painter;
    if (!painter.begin(printer.get()))
        throw ControlError(482, QStringLiteral("Printer error"));
    QFont font = painter.font();
    font.setPointSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 255));
    const QFontMetricsF metrics(font, printer.get());
    const PrintPlan plan = PlanPrint(text, metrics, QSizeF(printer->width(), printer->height()));
    double y = plan.top;
    for (const QString& line : plan.lines) {
        host_->DoEvents();
        painter.drawText(QPointF(plan.left, y + metrics.ascent()), line);
        y += plan.lineHeight;
    }
    painter.end();
}

}  // namespace glimmora

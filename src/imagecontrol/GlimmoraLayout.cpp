// SPDX-License-Identifier: GPL-3.0-or-later
// The layout pass: offers the dialogs on a form being edited, measures the
// foreground picture, sizes the control by its size mode and shows the page,
// or the banner when no picture file is named.
#include <QLabel>

#include "imagecontrol/Glimmora.h"
#include "imagecontrol/PageView.h"

namespace glimmora {

namespace {
const QChar Q(u'"');

QString bodyStart(const QString& background) {
    return QStringLiteral("about:<html><body background = ") + Q + background + Q + QStringLiteral(" scroll='no'>");
}

QString pixels(double v) { return QString::number(qRound64(v)); }

// The page draws from its top left corner: the browser sits at the
// container's origin and serves exactly the area it is given.
constexpr int kBrowserLeftPx = 0;
constexpr int kBrowserTopPx = 0;
}  // namespace

void Glimmora::LayoutPass() {
    if (layoutBusy_)
        return;
    layoutBusy_ = true;
    // A failed pass must not leave the guard set, or the control would lay
    // out nothing more for the rest of its life.
    try {
        layoutSteps();
    } catch (...) {
        layoutBusy_ = false;
        throw;
    }
    layoutBusy_ = false;
}

void Glimmora::layoutSteps() {
    const bool um = host_->UserMode();
    const bool init = newInstance_;
    newInstance_ = false;

    if (imageOpenRequested_ || init ||
        (imagePath_.trimmed().isEmpty() && !imageBrowseCancelled_ && !um && (propertiesRead_ || imagePathSet_))) {
        imagePathSet_ = false;
        const QString chosen = BrowseImage();
        if (chosen != QLatin1String("cancelled"))
            SetImagePath(chosen);
        else
            imageBrowseCancelled_ = true;
    }
    if (backgroundOpenRequested_ || init ||
        (backgroundPath_.trimmed().isEmpty() && !backgroundBrowseCancelled_ && !um &&
         (propertiesRead_ || backgroundPathSet_))) {
        backgroundPathSet_ = false;
        const QString chosen = BrowseBackground();
        if (chosen != QLatin1String("cancelled"))
            SetBackgroundPath(chosen);
        else
            backgroundBrowseCancelled_ = true;
    }

    const bool imgFile = PathIsFile(imagePath_.trimmed());
    const bool measured = MeasureImage(imagePath_.trimmed());
    const bool bgFile = PathIsFile(backgroundPath_.trimmed());
    const bool anyFile = imgFile || bgFile;

    WBcontainer->setEnabled(false);
    WBcontainer->setVisible(anyFile);
    if (anyFile)
        WBcontainer->raise();  // the page covers the banner and its frame
    if (!imgFile) {
        host_->DoEvents();
        layoutBusy_ = false;
    }

    const int mode = SizeMode();
    if (mode == Stretch && um && sizeWidth_ > 0 && sizeHeight_ > 0) {
        layoutBusy_ = true;
        SetWidth(sizeWidth_);
        SetHeight(sizeHeight_);
        layoutBusy_ = false;
    }

    const double innerW = Width() - 2 * allowance();
    const double innerH = Height() - 2 * allowance();

    if (!anyFile) {
        bannerLayout(innerW, innerH);
        return;
    }
    if (!measured)
        return;  // nothing is sized or navigated; the browser keeps its page
    switch (mode) {
    case Auto_Size:
        naturalLayout(imgFile);
        break;
    case Zoom:
    case Zoom_LargerOnly:
        zoomLayout(um, imgFile);
        break;
    case Stretch:
        if (!um) {
            layoutBusy_ = true;
            SetSizeWidth(Width());
            SetSizeHeight(Height());
            layoutBusy_ = false;
        }
        sizedPlacement(imgFile, innerW, innerH);
        break;
    default:
        break;
    }
}

void Glimmora::bannerLayout(double innerW, double innerH) {
    const double bw = Banner->width() * tx() + 5 * tx();
    const double bh = Banner->height() * ty() + 5 * ty();
    QFont font = Banner->font();
    double size = font.pointSizeF();
    if (innerW / bw > innerH / bh)
        size = size * innerH / bh;
    else
        size = size * innerW / bw;
    font.setPointSizeF(qMax(1.0, size));
    Banner->setFont(font);
    Banner->adjustSize();
    const double left = (innerW - Banner->width() * tx()) / 2;
    const double top = (innerH - Banner->height() * ty()) / 2;
    Banner->move(qRound(left / tx()), qRound(top / ty()));
    Shape1->setGeometry(0, 0, qMax(0, qRound(innerW / tx())), qMax(0, qRound(innerH / ty())));
    Banner->raise();
}

void Glimmora::placeBrowser(double widthTw, double heightTw) {
    WB->setGeometry(kBrowserLeftPx, kBrowserTopPx, qMax(0, qRound(widthTw / tx())), qMax(0, qRound(heightTw / ty())));
}

void Glimmora::navigate(const QString& page, bool imgFile, const QSizeF& imagePixels) {
    page_ = page;
    ++navigations_;
    const QString bg = backgroundPath_.trimmed();
    const QString bgFile = PathIsFile(bg) ? host_->FilePath(bg) : QString();
    const QString imgHost = imgFile ? host_->FilePath(imagePath_.trimmed()) : QString();
    WB->Show(bgFile, imgHost, imagePixels.toSize());
}

void Glimmora::naturalLayout(bool imgFile) {
    const double a = allowance();
    const QSizeF pic = PictureSize();
    layoutBusy_ = true;
    SetWidth(float(pic.width() + 2 * a));
    SetHeight(float(pic.height() + 2 * a));
    layoutBusy_ = false;
    WBcontainer->setGeometry(0, 0, width(), height());
    host_->DoEvents();
    const QString page = imgFile ? bodyStart(backgroundPath_) + QStringLiteral("<img src='") + imagePath_ +
                                       QStringLiteral("' ALIGN=\"left\"></img></body></html>")
                                 : bodyStart(backgroundPath_) + QStringLiteral("</body></html>");
    placeBrowser(pic.width(), pic.height());
    host_->DoEvents();
    navigate(page, imgFile, QSizeF());
}

void Glimmora::sizedPlacement(bool imgFile, double innerW, double innerH) {
    const double pageW = innerW / tx();
    const double pageH = innerH / ty();
    host_->DoEvents();
    WBcontainer->setGeometry(0, 0, width(), height());
    host_->DoEvents();
    const QString page = imgFile ? bodyStart(backgroundPath_) + QStringLiteral("<img src='") + imagePath_ +
                                       QStringLiteral("' ") + QStringLiteral("  width=") + Q + pixels(pageW) + Q +
                                       QStringLiteral("  height=") + Q + pixels(pageH) + Q +
                                       QStringLiteral(" ALIGN=\"left\"></img></body></html>")
                                 : bodyStart(backgroundPath_) + QStringLiteral("</body></html>");
    placeBrowser(innerW, innerH);
    host_->DoEvents();
    navigate(page, imgFile, QSizeF(qRound64(pageW), qRound64(pageH)));
}

void Glimmora::zoomLayout(bool um, bool imgFile) {
    const int mode = SizeMode();
    const QSizeF pic = PictureSize();
    layoutBusy_ = true;
    if (!(sizeWidth_ > 0 && sizeHeight_ > 0)) {
        SetSizeWidth(Width());
        SetSizeHeight(Height());
    }
    const double sw = sizeWidth_;
    const double sh = sizeHeight_;
    // A picture without height has no aspect ratio: the pass fails here as
    // the division would, instead of sizing the control to infinity.
    if (pic.height() == 0)
        throw ControlError(pic.width() == 0 ? 6 : 11,
                           pic.width() == 0 ? QStringLiteral("Overflow") : QStringLiteral("Division by zero"));
    const float ratio = float(pic.width() / pic.height());

    auto sized = [&] {
        const double a = allowance();
        const double innerW = Width() - 2 * a;
        const double innerH = Height() - 2 * a;
        if (!um) {
            SetSizeWidth(Width());
            SetSizeHeight(Height());
        }
        layoutBusy_ = false;
        sizedPlacement(imgFile, innerW, innerH);
    };

    if (mode == Zoom) {
        if (um) {
            if (ratio >= 1) {
                SetWidth(float(sw));
                SetHeight(float(sw / ratio));
            } else {
                SetWidth(float(sh * ratio));
                SetHeight(float(sh));
            }
        } else {
            if (ratio >= 1)
                SetHeight(float(Width() / ratio));
            else
                SetWidth(float(Height() * ratio));
        }
        sized();
        return;
    }

    bool zoomed = false;
    if (um) {
        if (ratio >= 1 && pic.width() > sw) {
            SetWidth(float(sw));
            SetHeight(float(sw / ratio));
            zoomed = true;
        } else if (ratio <= 1 && pic.height() > sh) {
            SetWidth(float(sh * ratio));
            SetHeight(float(sh));
            zoomed = true;
        }
    } else {
        if (ratio >= 1 && pic.width() > Width()) {
            SetHeight(float(Width() / ratio));
            zoomed = true;
        } else if (ratio <= 1 && pic.height() > Height()) {
            SetWidth(float(Height() * ratio));
            zoomed = true;
        }
    }
    if (zoomed) {
        sized();
        return;
    }
    if (!um) {
        const double a = allowance();
        SetSizeWidth(float(pic.width() + 2 * a));
        SetSizeHeight(float(pic.height() + 2 * a));
    }
    layoutBusy_ = false;
    naturalLayout(imgFile);
}

}  // namespace glimmora

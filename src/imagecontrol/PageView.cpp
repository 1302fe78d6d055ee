// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecontrol/PageView.h"

#include <QImageReader>
#include <QMovie>
#include <QPainter>

namespace glimmora {

PageView::PageView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

PageView::~PageView() = default;

void PageView::Clear() {
    movie_.reset();
    background_ = QPixmap();
    image_ = QImage();
    imageSize_ = QSize();
    update();
}

void PageView::Show(const QString& backgroundFile, const QString& imageFile, const QSize& imageSize) {
    Clear();
    if (!backgroundFile.isEmpty()) {
        QImageReader reader(backgroundFile);
        const QImage bg = reader.read();
        if (!bg.isNull())
            background_ = QPixmap::fromImage(bg);
    }
    imageSize_ = imageSize;
    if (!imageFile.isEmpty()) {
        auto movie = std::make_unique<QMovie>(imageFile);
        if (movie->isValid() && movie->frameCount() != 1) {
            movie_ = std::move(movie);
            connect(movie_.get(), &QMovie::frameChanged, this, [this] { update(); });
            movie_->start();
        } else {
            QImageReader reader(imageFile);
            image_ = reader.read();
        }
    }
    update();
}

int PageView::Frame() const { return movie_ ? movie_->currentFrameNumber() : -1; }

void PageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!background_.isNull())
        p.drawTiledPixmap(rect(), background_);
    const QImage frame = movie_ ? movie_->currentImage() : image_;
    if (frame.isNull())
        return;
    const QSize size = imageSize_.isEmpty() ? frame.size() : imageSize_;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint(0, 0), size), frame);
}

void ShapeFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace glimmora

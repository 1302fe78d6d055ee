// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QWidget>
#include <memory>

class QMovie;

namespace glimmora {

// Draws the control's page: the background picture tiled over the whole
// view, the foreground picture at the top left, at its natural size or at
// the size the page gives, and animated when it is an animated GIF.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent);
    ~PageView() override;

    // Shows a page: host file paths of the two pictures ("" for none) and the
    // foreground's size in pixels (an empty size: its natural size).
    void Show(const QString& backgroundFile, const QString& imageFile, const QSize& imageSize);
    void Clear();
    int Frame() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap background_;
    QImage image_;
    std::unique_ptr<QMovie> movie_;
    QSize imageSize_;
};

// The frame drawn around the banner area.
class ShapeFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace glimmora

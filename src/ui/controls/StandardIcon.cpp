// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/StandardIcon.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>

namespace ui {
namespace {

const QIcon& Loaded(QStyle::StandardPixmap which) {
    static QHash<int, QIcon> loaded;
    auto it = loaded.find(int(which));
    if (it == loaded.end())
        it = loaded.insert(int(which), QApplication::style()->standardIcon(which));
    return *it;
}

// Every question goes to the style's icon, read at the first one.
class StandardIconEngine final : public QIconEngine {
public:
    explicit StandardIconEngine(QStyle::StandardPixmap which) : which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // The engine's sizes are device pixels when the screens are scaled;
    // QIcon::actualSize would scale them once more, QIcon::pixmap at a ratio
    // of 1 asks the engine as it is asked here.
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (qApp->devicePixelRatio() > 1.0)
            return icon().pixmap(size, 1.0, mode, state).size();
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        // `size` is in device pixels; the icon is asked in logical ones.
        return icon().pixmap(scale > 0 ? size / scale : size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    // A tool button asks this while it is laid out. The style has a picture
    // of its own for every standard icon, whatever the icon theme lacks.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("ui::StandardIconEngine"); }
    QIconEngine* clone() const override { return new StandardIconEngine(which_); }

private:
    const QIcon& icon() const { return Loaded(which_); }
    QStyle::StandardPixmap which_;
};

}  // namespace

QIcon StandardIcon(QStyle::StandardPixmap which) { return QIcon(new StandardIconEngine(which)); }

}  // namespace ui

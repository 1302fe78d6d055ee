// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbTextBox.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "ui/controls/VbFocusFilter.h"

namespace ui {

VbTextBox::VbTextBox(const QString& name, const QString& text, QWidget* parent)
    : QLineEdit(text, parent), focus_(new VbFocusFilter(this)) {
    setObjectName(name);
    // A text box holds long filter lists; Qt's default limit would cut them.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this](const QString&) {
        if (!quietShow_)
            emit Change();
    });
    connect(focus_, &VbFocusFilter::GotFocus, this, &VbTextBox::GotFocus);
    connect(focus_, &VbFocusFilter::LostFocus, this, &VbTextBox::LostFocus);
}

namespace {
constexpr int kFrameMs = 30;

qint64 steadyMs() {
    static QElapsedTimer t;
    if (!t.isValid())
        t.start();
    return t.elapsed();
}
}  // namespace

void VbTextBox::setText(const QString& text) {
    const bool announced = pending_ && *pending_ == text;
    pending_.reset();
    if (frame_)
        frame_->stop();
    if (announced)
        showQuietly(text);
    else
        QLineEdit::setText(text);
}

void VbTextBox::showQuietly(const QString& text) {
    quietShow_ = true;
    QLineEdit::setText(text);
    quietShow_ = false;
}

void VbTextBox::setTextSoon(const QString& text) {
    const qint64 now = steadyMs();
    if (!pending_ && (shownAt_ < 0 || now - shownAt_ >= kFrameMs)) {
        shownAt_ = now;
        QLineEdit::setText(text);
        return;
    }
    // Change comes at once, as with setText; the later showing is quiet.
    const bool changed = Text() != text;
    pending_ = text;
    if (changed)
        emit Change();
    if (!frame_) {
        frame_ = new QTimer(this);
        frame_->setSingleShot(true);
        connect(frame_, &QTimer::timeout, this, &VbTextBox::showPending);
    }
    if (!frame_->isActive())
        frame_->start(int(std::max<qint64>(0, kFrameMs - (now - shownAt_))));
}

void VbTextBox::showPending() {
    if (!pending_)
        return;
    const QString text = *pending_;
    pending_.reset();
    shownAt_ = steadyMs();
    showQuietly(text);
}

}  // namespace ui

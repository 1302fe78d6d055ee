// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/UnseenWindows.h"

namespace {

class CountingLabel : public QLabel {
public:
    using QLabel::QLabel;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        QLabel::paintEvent(event);
    }
};

struct Window {
    QWidget top;
    CountingLabel* label = new CountingLabel("first");
    Window() {
        auto* layout = new QVBoxLayout(&top);
        layout->addWidget(label);
    }
    void showAndSettle() {
        top.show();
        label->setText("a much longer second text");
        label->repaint();
        QApplication::processEvents();
    }
};

}  // namespace

// Tests run on the offscreen platform: without the guard a shown window is
// painted; with it nothing is, yet the window is shown, laid out and can
// still be drawn on request.
TEST(UnseenWindows, WindowsShownWithoutADisplayAreNotPainted) {
    {
        Window seen;
        seen.showAndSettle();
        EXPECT_GT(seen.label->paints, 0);
    }
    Window unseen;
    {
        const platform::UnseenWindows guard;
        unseen.showAndSettle();
        EXPECT_EQ(unseen.label->paints, 0);
        EXPECT_TRUE(unseen.label->isVisible());
        EXPECT_GE(unseen.label->width(), unseen.label->sizeHint().width());
        EXPECT_FALSE(unseen.top.grab().isNull());
    }
    // A window polished before the guard ended keeps its updates off; a
    // window first shown after it is painted again.
    Window later;
    later.showAndSettle();
    EXPECT_GT(later.label->paints, 0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline of the start-up job of bench/run.sh: the least a Qt Widgets
// program does to start, show one window and end. The job compares the
// fixed cost of the program's own start ("/run" of a profile that backs up
// one small file) with this.
#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {
// Ends the program once it has been painted, that is once it was shown.
class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window window;
    window.resize(320, 200);
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.show();
    return app.exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QTimer>

namespace ui {

// A VB timer: raises Timer every Interval milliseconds while Enabled and
// Interval > 0. Setting Interval or Enabled again restarts the count.
class VbTimer : public QObject {
    Q_OBJECT
public:
    VbTimer(const QString& name, int interval, bool enabled, QObject* parent = nullptr);

    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool running() const { return timer_.isActive(); }

signals:
    void Timer();

private:
    void apply();
    QTimer timer_;
    int interval_;
    bool enabled_;
};

}  // namespace ui

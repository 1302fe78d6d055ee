// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A request to end the program that comes while a test waits: SIGTERM to the
// test process a moment after the start, taken by the program's own handling
// of such requests. The request is forgotten again when this goes.
#include <QObject>
#include <QTimer>
#include <csignal>
#include <functional>

#include "platform/TerminationRequest.h"

namespace testenv {

class TerminationSoon {
public:
    // `handler`: what the program does when the request reaches its event
    // loop (the program's own cancels the run).
    explicit TerminationSoon(int ms, std::function<void()> handler = [] {}) {
        platform::OnTerminationRequest(std::move(handler));
        QTimer::singleShot(ms, &context_, [] { ::raise(SIGTERM); });
    }
    ~TerminationSoon() {
        platform::OnTerminationRequest({});
        platform::ForgetTerminationRequestForTest();
    }
    TerminationSoon(const TerminationSoon&) = delete;
    TerminationSoon& operator=(const TerminationSoon&) = delete;

private:
    QObject context_;
};

}  // namespace testenv

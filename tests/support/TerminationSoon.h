// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A request to end the program that comes while a test waits: SIGTERM to the
// test process from a thread of its own (as from another process, whatever
// the GUI thread is busy with), taken by the program's own handling of such
// requests. The request is forgotten again when this goes.
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>
#include <unistd.h>

#include "platform/TerminationRequest.h"

namespace testenv {

class TerminationSoon {
public:
    // The request comes once `when` is true; it is asked on the helper
    // thread, so it must not touch the program's objects (a file that
    // appears will do). `handler`: what the program does when the request
    // reaches its event loop (the program's own cancels the run).
    explicit TerminationSoon(std::function<bool()> when, std::function<void()> handler = [] {}) {
        platform::OnTerminationRequest(std::move(handler));
        thread_ = std::thread([this, when = std::move(when)] {
            while (!stop_) {
                if (when()) {
                    ::kill(::getpid(), SIGTERM);
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    // The request comes `ms` milliseconds after the start.
    explicit TerminationSoon(int ms, std::function<void()> handler = [] {})
        : TerminationSoon([until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)] {
              return std::chrono::steady_clock::now() >= until;
          }, std::move(handler)) {}
    ~TerminationSoon() {
        stop_ = true;
        thread_.join();
        platform::OnTerminationRequest({});
        platform::ForgetTerminationRequestForTest();
    }
    TerminationSoon(const TerminationSoon&) = delete;
    TerminationSoon& operator=(const TerminationSoon&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace testenv

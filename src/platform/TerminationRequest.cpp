// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TerminationRequest.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

int g_pipe[2] = {-1, -1};
std::function<void()> g_handler;
volatile std::sig_atomic_t g_requested = 0;

extern "C" void OnSignal(int) {
    g_requested = 1;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool TerminationRequested() { return g_requested != 0; }

void ForgetTerminationRequestForTest() { g_requested = 0; }

void OnTerminationRequest(std::function<void()> handler) {
    g_handler = std::move(handler);
    if (g_pipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buffer[16];
        while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
        }
        if (g_handler)
            g_handler();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &sa, nullptr);
}

}  // namespace platform

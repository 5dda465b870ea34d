#include "sessionend.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace kelm {

namespace {

int wakeFds[2] = {-1, -1};

// Only async-signal-safe calls here: one byte into the pipe, errno kept.
void OnTerminate(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

void CloseWindowsOnTerminate(QObject* parent) {
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the default action stays
    auto* notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[64];
        while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
        }
        QApplication::closeAllWindows();
    });

    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace kelm

#include "app/sessionend.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace kelm {

namespace {

int wakeFds[2] = {-1, -1};

// A session or service manager ending (SIGTERM), Ctrl+C in the terminal that started the
// program (SIGINT), that terminal closed (SIGHUP).
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only async-signal-safe calls here: one byte into the pipe, errno kept.
void OnTerminate(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
    errno = saved;
}

void CloseWindows() {
    static bool closing = false;
    if (closing) {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
        return;
    }
    closing = true;
    QApplication::closeAllWindows();
    closing = false;
}

}  // namespace

void CloseWindowsOnTerminate(QObject* parent) {
    // One pipe for the process, whoever watches it.
    if (wakeFds[0] < 0 && ::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // the default action stays
    auto* notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, parent);
    // A signal that comes while a message box of the start-up is open closes the box, and
    // the main window is only shown after it; so the closing is tried again until the
    // program has ended.  A box that a window's closing opens (a settings file that cannot
    // be written) is closed in its turn, without closing that window a second time.
    auto* again = new QTimer(parent);
    again->setInterval(250);
    // The closing is queued rather than run from the timer's own handler, since a timer
    // does not fire again inside its handler, where a box's event loop would run.
    QObject::connect(again, &QTimer::timeout, again, CloseWindows, Qt::QueuedConnection);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [again] {
        char bytes[64];
        while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
        }
        again->start();
        CloseWindows();
    });

    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndingSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace kelm

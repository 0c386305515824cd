#include "app/Shutdown.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "windows/wizard.h"

namespace Shutdown {

namespace {

int g_pipe[2] = {-1, -1};
bool g_ended = false;

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &c, 1);
}

void endAsExit() {
    // A dialog on screen is dismissed first, and the code that opened it goes
    // on as after a Cancel; start-up still has to finish before E&xit can run.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(0, endAsExit);
        return;
    }
    form1* main = Windows::Find<form1>();
    if (main && !main->isVisible()) {
        QTimer::singleShot(20, endAsExit);
        return;
    }
    if (main) main->mnu_exit_Click();
    // E&xit leaves a newcomer's tour open; a session that ends does not wait for it.
    Windows::Unload<wizard>();
}

}  // namespace

void CatchSignals() {
    if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buf[16];
        while (read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        endAsExit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

void CloseLibraryAtExit() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    std::atexit([] {
        if (!g_ended) Module1::ResetState();
    });
}

void Ended() {
    g_ended = true;
}

}  // namespace Shutdown

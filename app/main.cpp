#include <QApplication>

#include "app/Module1.h"
#include "app/Mpris.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velumix"));
    QApplication::setApplicationVersion(QStringLiteral(VELUMIX_VERSION));
    // The process ends when its last window is unloaded, not when the last is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    const int rc = Module1::Main();
    if (rc != 0) return rc;
    // Media keys and desktop panels, where a session bus is there to carry them.
    Mpris mpris;
    mpris.Start(QDBusConnection::sessionBus());
    const int exitCode = app.exec();
    Module1::ResetState();
    return exitCode;
}

#include <QApplication>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "support/TempApp.h"

int main(int argc, char** argv) {
    // Widgets are exercised headless; the deck engine never needs a sound card.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (qgetenv("SDL_AUDIODRIVER").isEmpty()) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    // Windows and the library connection go before the application object does.
    UnloadAllWindows();
    Module1::ResetState();
    return rc;
}

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "support/TempApp.h"

int main(int argc, char** argv) {
    // Widgets are exercised headless; the deck engine never needs a sound card.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    // Per-user options and data go to a folder of the run's own, never the
    // tester's real ones, and every run starts from the defaults.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    // Windows and the library connection go before the application object does.
    UnloadAllWindows();
    Module1::ResetState();
    return rc;
}

#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"
#include "windows/wizard.h"

namespace {

// Starts the program against a library whose first-start marker is as given,
// then opens and closes the setup window twice; returns how often the tour
// came up.
int toursAfterClosingSetup(const char* marker) {
    TempApp app;
    app.addSong("a.mp3", app.path() + "/");
    app.exec(QString("Update settings set ext2='%1'").arg(marker));
    Windows::Show<form1>();
    EXPECT_EQ(app.scalar("SELECT ext2 FROM settings"), "1");
    int tours = 0;
    for (int round = 0; round < 2; ++round) {
        Windows::Show<frmSetup>();
        Windows::Unload<frmSetup>();
        if (wizard* w = Windows::Find<wizard>()) {
            ++tours;
            // Opened beside the setup window, not blocking the main window.
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(w->windowModality(), Qt::NonModal);
            w->cmdClose_Click();
        }
    }
    return tours;
}

// On a first start every closing of the setup window opens the tour; later starts close it quietly.
TEST(FirstStart, ClosingTheSetupWindowOpensTheTourOnlyOnAFirstStart) {
    EXPECT_EQ(toursAfterClosingSetup("0"), 2);
    EXPECT_EQ(toursAfterClosingSetup("1"), 0);
}

}  // namespace

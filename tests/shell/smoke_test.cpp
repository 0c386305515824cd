#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/TempApp.h"

TEST(Scaffold, MainWindowLoadsOverAnEmptyLibrary) {
    TempApp app;
    form1& f = Windows::Load<form1>();
    EXPECT_EQ(f.windowTitle(), "Velumix");
    EXPECT_EQ(f.lstPlaylist->Count(), 0);
    EXPECT_EQ(app.scalar("SELECT ext2 FROM settings"), "0");
}

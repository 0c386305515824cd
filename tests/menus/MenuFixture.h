#pragma once
#include <gtest/gtest.h>

#include "app/form1.h"
#include "support/TempApp.h"

// The main window over a library holding one song, so start-up asks nothing
// and opens no other window.
struct MenuFixture : ::testing::Test {
    TempApp app;
    form1& main = start(app);

    static form1& start(TempApp& app) {
        app.addSong("a.mp3", app.path() + "/");
        form1& f = Windows::Show<form1>();
        f.Move(3000, 1500);
        return f;
    }
};

#include <gtest/gtest.h>

#include <QApplication>

#include "support/CueFixture.h"
#include "support/TempApp.h"
#include "windows/formlist.h"
#include "windows/id3search.h"
#include "windows/multilist.h"

namespace {

// Shows the window, drags it below its smallest size, then twice as wide.
template <class W>
void checkSizing(int minWidth, int minHeight, QWidget* (*probe)(W&)) {
    TempApp app;
    QWidget main;  // shown first, as the main window is: the frame is known before W maps
    main.show();
    W& w = Windows::Show<W>();
    QApplication::processEvents();
    const int designed = probe(w)->width();

    w.resize(w.width() / 2, w.height() / 3);
    QApplication::processEvents();
    EXPECT_EQ(w.Width(), minWidth);
    EXPECT_EQ(w.Height(), minHeight);

    // Controls follow the window.
    w.SetWidth(minWidth * 2);
    QApplication::processEvents();
    EXPECT_NEAR(probe(w)->width(), designed * 2, 2);
}

}  // namespace

TEST(WindowSizing, SpringsBackToTheSmallestSizeAndScalesControls) {
    checkSizing<id3search>(8025, 6765, [](id3search& w) -> QWidget* { return w.cmdSearch; });
    checkSizing<formlist>(9585, 6045, [](formlist& w) -> QWidget* { return w.lstShowSongs; });
    checkSizing<multilist>(8460, 5460, [](multilist& w) -> QWidget* { return w.cmdClose; });
}

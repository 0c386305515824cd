#include <gtest/gtest.h>

#include <QApplication>

#include "CueRows.h"
#include "support/TempApp.h"
#include "windows/formlist.h"
#include "windows/id3search.h"
#include "windows/multilist.h"

namespace {

// Shows the window and drags it below its smallest size.
template <class W>
void checkSizing(int minWidth, int minHeight) {
    TempApp app;
    W& w = Windows::Show<W>();
    QApplication::processEvents();
    EXPECT_GE(w.Width(), minWidth);
    EXPECT_GE(w.Height(), minHeight);

    w.resize(w.width() / 2, w.height() / 3);
    QApplication::processEvents();
    EXPECT_EQ(w.Width(), minWidth);
    EXPECT_EQ(w.Height(), minHeight);
}

}  // namespace

TEST(WindowSizing, SpringsBackToTheSmallestSize) {
    checkSizing<id3search>(8025, 6765);
    checkSizing<formlist>(9585, 6045);
    checkSizing<multilist>(8460, 5460);
}

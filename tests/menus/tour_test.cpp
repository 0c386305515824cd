#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/Twips.h"
#include "app/form1.h"
#include "support/TempApp.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/wizard.h"

namespace {

struct TourFixture : ::testing::Test {
    TempApp app;
    form1& main = [this]() -> form1& {
        app.addSong("a.mp3", app.path() + "/");
        form1& f = Windows::Show<form1>();
        f.Move(3000, 1500);
        return f;
    }();

    wizard& openTour() {
        main.mnuQuickHelp_Click();
        return *Windows::Find<wizard>();
    }
};

int visibleCount(const QVector<QLabel*>& labels) {
    int n = 0;
    for (QLabel* l : labels) n += l->isHidden() ? 0 : 1;
    return n;
}

using Tour = TourFixture;

TEST_F(Tour, FirstPageStandsRightOfTheSearchSideWithArrowsPointingLeft) {
    wizard& w = openTour();
    EXPECT_EQ(w.windowTitle(), "Quick Tour");
    EXPECT_NEAR(w.Left(), main.Left() + 5600, Twips::kPerPixel);
    EXPECT_EQ(w.Top(), main.Top());
    EXPECT_EQ(w.lblwiz[0]->text(), wizard::kPage1);
    EXPECT_TRUE(w.lblwiz[0]->text().endsWith("play list. "));
    EXPECT_TRUE(w.lblwiz[0]->text().contains("through Tools->Setup.Use this side"));
    EXPECT_TRUE(w.lblwiz[1]->isHidden());
    EXPECT_EQ(w.lblwiz[1]->text().size(), 58);
    EXPECT_EQ(visibleCount(w.lblLeft), 4);
    EXPECT_EQ(visibleCount(w.lblright), 0);
    EXPECT_FALSE(w.cmdNext->isHidden());
    EXPECT_TRUE(w.cmdClose->isHidden());
}

TEST_F(Tour, NextLeavesOnlyCloseAndPointsAtThePlayList) {
    wizard& w = openTour();
    const int nextLeft = w.cmdNext->x();
    w.cmdNext->click();

    EXPECT_NEAR(w.Left(), main.Left() + 200, Twips::kPerPixel);
    EXPECT_EQ(w.Top(), main.Top());
    EXPECT_TRUE(w.lblwiz[0]->text().startsWith("This side of Velumix is your play list."));
    EXPECT_FALSE(w.lblwiz[1]->isHidden());
    EXPECT_EQ(w.lblwiz[1]->text(), "YOU MUST CLICK \"PLAY COMPILED LIST\" TO BEGIN PLAYING MUSIC");
    EXPECT_EQ(visibleCount(w.lblLeft), 0);
    EXPECT_EQ(visibleCount(w.lblright), 4);
    // The only button left is Close, where Next was.
    EXPECT_TRUE(w.cmdNext->isHidden());
    EXPECT_FALSE(w.cmdClose->isHidden());
    EXPECT_EQ(w.cmdClose->x(), nextLeft);
    EXPECT_EQ(w.cmdClose->y(), w.cmdNext->y());
}

TEST_F(Tour, ClosingUnloadsSoTheNextTourStartsAtPageOne) {
    wizard& w = openTour();
    w.cmdNext_Click();
    w.cmdClose->click();
    EXPECT_FALSE(Windows::IsLoaded<wizard>());
    Windows::flushDeleted();

    wizard& again = openTour();
    EXPECT_EQ(again.lblwiz[0]->text(), wizard::kPage1);
    EXPECT_FALSE(again.cmdNext->isHidden());
    EXPECT_TRUE(again.cmdClose->isHidden());
    EXPECT_NEAR(again.Left(), main.Left() + 5600, Twips::kPerPixel);
}

using About = TourFixture;

TEST_F(About, ShowsTheRevisionOnceAndOpensTheMakersPage) {
    // The revision is the third component of the version, without leading zeros.
    const QString revision = QString::number(QString(VELUMIX_VERSION).section('.', 2, 2).toInt());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        main.mnu_about_Click();
        frmAbout* a = Windows::Find<frmAbout>();
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Label1->text(), "Version:  " + revision);
        EXPECT_EQ(a->Label3->text(), "Velumix ");

        app.ui.opened.clear();
        a->Label2_Click();
        ASSERT_EQ(app.ui.opened.size(), 1);
        EXPECT_EQ(app.ui.opened[0], QUrl(a->Label2->text()));
        EXPECT_EQ(app.ui.opened[0].host(), "velumix.example.org");

        a->cmdOk->click();
        EXPECT_FALSE(Windows::IsLoaded<frmAbout>());
        Windows::flushDeleted();
    }
}

}  // namespace

#include <QApplication>
#include <algorithm>

#include "MenuFixture.h"
#include "layout/Twips.h"
#include "windows/frmAbout.h"
#include "windows/wizard.h"

namespace {

struct Tour : MenuFixture {
    wizard& open() {
        main.mnuQuickHelp_Click();
        return *Windows::Find<wizard>();
    }
    // Left edge relative to the main window's, within the pixel grid.
    void expectOffset(wizard& w, int twips) {
        EXPECT_NEAR(w.Left(), main.Left() + twips, Twips::kPerPixel);
        EXPECT_EQ(w.Top(), main.Top());
    }
};

int shown(const QVector<QLabel*>& labels) {
    return static_cast<int>(
        std::count_if(labels.begin(), labels.end(), [](QLabel* l) { return !l->isHidden(); }));
}

void expectPageOne(wizard& w) {
    EXPECT_TRUE(w.lblwiz[0]->text().contains("through Tools->Setup.Use this side"));
    EXPECT_TRUE(w.lblwiz[0]->text().endsWith("top of your play list. "));
    EXPECT_TRUE(w.lblwiz[1]->isHidden());
    EXPECT_EQ(shown(w.lblLeft), 4);
    EXPECT_EQ(shown(w.lblright), 0);
    EXPECT_FALSE(w.cmdNext->isHidden());
    EXPECT_TRUE(w.cmdClose->isHidden());
}

// The tour opens modal beside the search side, its second page stands over the
// play list, and closing it releases the main window; the next tour starts afresh.
TEST_F(Tour, WalksBothPagesAndStartsAgainAtPageOne) {
    wizard& w = open();
    EXPECT_EQ(QApplication::activeModalWidget(), &w);
    expectOffset(w, 5600);
    expectPageOne(w);

    const QPoint nextAt = w.cmdNext->pos();
    w.cmdNext->click();
    expectOffset(w, 200);
    EXPECT_TRUE(w.lblwiz[0]->text().startsWith("This side of Velumix is your play list."));
    EXPECT_EQ(w.lblwiz[1]->text(), "YOU MUST CLICK \"PLAY COMPILED LIST\" TO BEGIN PLAYING MUSIC");
    EXPECT_FALSE(w.lblwiz[1]->isHidden());
    EXPECT_EQ(shown(w.lblLeft), 0);
    EXPECT_EQ(shown(w.lblright), 4);
    EXPECT_TRUE(w.cmdNext->isHidden());
    EXPECT_FALSE(w.cmdClose->isHidden());
    EXPECT_EQ(w.cmdClose->pos(), nextAt);

    w.cmdClose->click();
    EXPECT_FALSE(Windows::IsLoaded<wizard>());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    Windows::flushDeleted();
    wizard& again = open();
    expectOffset(again, 5600);
    expectPageOne(again);
}

TEST_F(MenuFixture, AboutShowsTheRevisionOnceAndOpensTheMakersPage) {
    // The revision is the version's third component, without leading zeros.
    const QString revision = QString::number(QString(VELUMIX_VERSION).section('.', 2, 2).toInt());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        main.mnu_about_Click();
        frmAbout* a = Windows::Find<frmAbout>();
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Label1->text(), "Version:  " + revision);
        a->Label2_Click();
        EXPECT_EQ(app.ui.opened.value(round), QUrl("https://velumix.example.org"));
        a->cmdOk->click();
        EXPECT_FALSE(Windows::IsLoaded<frmAbout>());
        Windows::flushDeleted();
    }
}

}  // namespace

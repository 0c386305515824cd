#include "support/CueFixture.h"

#include <functional>

namespace {
const QStringList ABC{"A", "B", "C"};
}

TEST_F(CueTest, MovesSwapNeighboursAndWrapAtTheEnds) {
    struct Case {
        const char* name;
        QStringList start;
        int selected;
        void (form1::*press)();
        int presses;
        QStringList result;
        int selectedAfter;
    };
    const Case cases[] = {
        {"up from the top wraps to the bottom", ABC, 1, &form1::cmdUP_Click, 1, {"B", "C", "A"}, 3},
        {"down from the bottom wraps to the top", ABC, 3, &form1::cmdDown_Click, 1, {"C", "A", "B"}, 1},
        {"up twice: the same song wraps", ABC, 2, &form1::cmdUP_Click, 2, {"A", "C", "B"}, 3},
        {"down twice: the same song wraps", ABC, 2, &form1::cmdDown_Click, 2, {"B", "A", "C"}, 1},
        {"double-click is move up", ABC, 3, &form1::lstPlaylist_DblClick, 1, {"A", "C", "B"}, 2},
        {"one row: nothing", {"A"}, 1, &form1::cmdDown_Click, 1, {"A"}, 1},
        {"no selected item: nothing", ABC, 0, &form1::cmdUP_Click, 1, ABC, 0},
    };
    for (const Case& c : cases) {
        fill(f->lstPlaylist, c.start);
        if (c.selected) f->lstPlaylist->SetSelectedItem(c.selected);
        for (int i = 0; i < c.presses; ++i) std::invoke(c.press, f);
        EXPECT_EQ(cue(), c.result) << c.name;
        EXPECT_EQ(f->lstPlaylist->SelectedItem(), c.selectedAfter) << c.name;
    }
    // The path travels with the name, and the moved song's name becomes the tool tip.
    f->lstPlaylist->AddRows({{"1", "z.mp3", "/z/"}});
    f->lstPlaylist->SetSelectedItem(4);
    f->cmdUP_Click();
    EXPECT_EQ(f->lstPlaylist->SubItem(3, 2), "/z/");
    EXPECT_EQ(f->lstPlaylist->toolTip(), "z.mp3");
}

TEST_F(CueTest, MoveToTopPutsSelectedSongsFirstInReverseOrder) {
    fill(f->lstPlaylist, {"A", "B", "C", "D"});
    select(f->lstPlaylist, {2, 4});
    f->cmdPlayNow_Click();
    EXPECT_EQ(cue(), QStringList({"D", "B", "A", "C"}));
    EXPECT_EQ(BackupRows(), CueRows());
}

TEST_F(CueTest, DeleteSelectedByButtonAndByPopup) {
    for (const bool byPopup : {false, true}) {
        fill(f->lstPlaylist, {"1", "2", "3", "4", "5"});
        select(f->lstPlaylist, {2, 3});
        if (byPopup) {
            app.ui.popupChoices = {"", "Delete Selected"};
            f->lstPlaylist_MouseDown(2, 0, 5, 5);  // dismissed
            f->lstPlaylist_MouseDown(1, 0, 5, 5);  // left button: no menu
            EXPECT_EQ(cue().size(), 5);
            f->lstPlaylist_MouseDown(2, 0, 5, 5);
            EXPECT_EQ(app.ui.popups.last(), f->mnurightclicklist);
            EXPECT_FALSE(f->mnuDeleteSelected->isChecked()) << "the mark is cleared after use";
        } else {
            f->cmdCS_Click();
        }
        EXPECT_EQ(cue(), QStringList({"1", "4", "5"})) << byPopup;
    }
    EXPECT_EQ(app.ui.popups.size(), 2);
}

TEST_F(CueTest, SendToTopAndAddAllFromSearch) {
    fill(f->lstPlaylist, {"old"});
    fill(f->lstresults, {"X", "Y", "Z"});
    select(f->lstresults, {1, 2, 3});
    f->cmdFirst_Click();
    EXPECT_EQ(cue(), QStringList({"Z", "Y", "X", "old"}));
    EXPECT_TRUE(f->lstresults->Selected(2)) << "the results keep their selection";

    f->Command7_Click();
    EXPECT_EQ(cue(), QStringList({"Z", "Y", "X", "old", "X", "Y", "Z"}));
    EXPECT_EQ(f->lstPlaylist->SubItem(7, 2), "/m/");
    EXPECT_FALSE(f->lstresults->Selected(3));
}

// Which operations refresh the count and which rewrite the auto-recover
// file decides what a restart brings back.
TEST_F(CueTest, CountAndFileFollowEachOperation) {
    struct Case {
        const char* name;
        std::function<void(form1&)> run;
        bool refreshes;
        bool writes;
    };
    const Case cases[] = {
        {"move up", &form1::cmdUP_Click, false, false},
        {"move down", &form1::cmdDown_Click, false, false},
        {"move to top", &form1::cmdPlayNow_Click, false, true},
        {"clear selection", &form1::cmdCS_Click, true, true},
        {"clearlist", &form1::Command3_Click, true, false},
        {"send to top", &form1::cmdFirst_Click, true, true},
        {"add all from search", &form1::Command7_Click, true, false},
        {"results double-click", &form1::lstresults_DblClick, true, true},
        {"results pop-up", [](form1& w) { w.lstresults_MouseDown(2, 0, 0, 0); }, true, true},
    };
    for (const Case& c : cases) {
        fill(f->lstPlaylist, ABC);
        f->lstPlaylist->SetSelectedItem(2);
        fill(f->lstresults, {"R"});
        f->lstresults->SetSelectedItem(1);
        app.ui.popupChoices = {"Add Selected"};
        f->lblPlaySongs->setText("unchanged");
        writeBackup("unchanged");
        c.run(*f);
        EXPECT_EQ(f->lblPlaySongs->text() != "unchanged", c.refreshes) << c.name;
        EXPECT_EQ(backup() != "unchanged", c.writes) << c.name;
        for (int i = 1; c.writes && i <= f->lstPlaylist->Count(); ++i)
            EXPECT_FALSE(f->lstPlaylist->Selected(i)) << c.name << ": writing leaves no row selected";
    }
}

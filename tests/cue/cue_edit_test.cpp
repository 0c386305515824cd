#include "support/CueFixture.h"

#include <functional>

namespace {
const QStringList ABC{"A", "B", "C"};

// Each song in a folder of its own name, so a check of the rows also sees
// that the folder travels with the name.
void load(ListView* list, const QStringList& names) {
    list->Clear();
    for (const QString& n : names) list->AddRows({{"1", n, "/" + n + "/"}});
}
}  // namespace

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
        // Twice from the middle: a swap, then the same song wraps at the end.
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
        // The moved song's name becomes the tool tip.
        if (c.result != c.start)
            EXPECT_EQ(f->lstPlaylist->toolTip(), c.result[c.selectedAfter - 1]) << c.name;
    }
}

// The pop-up's check mark says "Delete Selected" was chosen; it must not
// outlive the press it was chosen in.
TEST_F(CueTest, DeleteSelectedByPopup) {
    fill(f->lstPlaylist, {"1", "2", "3", "4", "5"});
    select(f->lstPlaylist, {2, 3});
    app.ui.popupChoices = {"Delete Selected", ""};
    f->lstPlaylist_MouseDown(2, 0, 5, 5);
    EXPECT_EQ(cue(), QStringList({"1", "4", "5"}));
    select(f->lstPlaylist, {1});
    f->lstPlaylist_MouseDown(2, 0, 5, 5);  // dismissed
    f->lstPlaylist_MouseDown(1, 0, 5, 5);  // left button: no menu
    EXPECT_EQ(cue(), QStringList({"1", "4", "5"}));
    EXPECT_EQ(app.ui.popups, QList<QMenu*>({f->mnurightclicklist, f->mnurightclicklist}));
}

// What each operation does to the cue, and which ones refresh the count and
// rewrite the auto-recover file: that decides what a restart brings back.
// The cue is A B C D with B and D selected (D the selected item), the search
// results X Y Z with X and Z selected (Z the selected item).
TEST_F(CueTest, EachOperationsResultCountAndFile) {
    struct Case {
        const char* name;
        std::function<void(form1&)> run;
        QStringList result;
        bool refreshes;
        bool writes;
        bool resultsKeepSelection = true;
    };
    const Case cases[] = {
        {"move up", &form1::cmdUP_Click, {"A", "B", "D", "C"}, false, false},
        {"move down", &form1::cmdDown_Click, {"D", "A", "B", "C"}, false, false},
        {"move to top", &form1::cmdPlayNow_Click, {"D", "B", "A", "C"}, false, true},
        {"clear selection", &form1::cmdCS_Click, {"A", "C"}, true, true},
        {"clearlist", &form1::Command3_Click, {}, true, false},
        {"send to top", &form1::cmdFirst_Click, {"Z", "X", "A", "B", "C", "D"}, true, true},
        {"add all from search",
         &form1::Command7_Click,
         {"A", "B", "C", "D", "X", "Y", "Z"},
         true,
         false,
         false},
        {"results double-click", &form1::lstresults_DblClick, {"A", "B", "C", "D", "Z"}, true, true},
        {"results pop-up",
         [](form1& w) { w.lstresults_MouseDown(2, 0, 0, 0); },
         {"A", "B", "C", "D", "X", "Z"},
         true,
         true},
    };
    for (const Case& c : cases) {
        load(f->lstPlaylist, {"A", "B", "C", "D"});
        f->lstPlaylist->SetSelected(2, true);
        f->lstPlaylist->SetSelectedItem(4);
        load(f->lstresults, {"X", "Y", "Z"});
        f->lstresults->SetSelected(1, true);
        f->lstresults->SetSelectedItem(3);
        app.ui.popupChoices = {"Add Selected"};
        f->lblPlaySongs->setText("unchanged");
        writeBackup("unchanged");
        c.run(*f);
        QStringList rows;
        for (const QString& n : c.result) rows << "1|" + n + "|/" + n + "/";
        EXPECT_EQ(CueRows(), rows) << c.name;
        EXPECT_EQ(CueCountLabel(), c.refreshes ? QString("Songs in cue:%1").arg(rows.size()) : "unchanged")
            << c.name;
        if (c.writes)
            EXPECT_EQ(BackupRows(), rows) << c.name;
        else
            EXPECT_EQ(backup(), "unchanged") << c.name;
        for (int i = 1; c.writes && i <= f->lstPlaylist->Count(); ++i)
            EXPECT_FALSE(f->lstPlaylist->Selected(i)) << c.name << ": writing leaves no row selected";
        for (int i : {1, 3}) EXPECT_EQ(f->lstresults->Selected(i), c.resultsKeepSelection) << c.name << i;
    }
}

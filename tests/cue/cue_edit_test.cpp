#include "support/CueFixture.h"

#include <functional>

namespace {
// One song per letter, each in a folder of its own name, so a check of the
// rows also sees that the folder travels with the name.
void load(ListView* list, const QString& letters) {
    list->Clear();
    for (const QChar n : letters) list->AddRows({{"1", n, "/" + QString(n) + "/"}});
}

// The pop-up's check mark says "Delete Selected" was chosen; it must not
// outlive the press it was chosen in, and the left button shows no menu.
void deleteByPopup(ScriptedUi& ui, form1& w) {
    ui.popups.clear();
    ui.popupChoices = {"Delete Selected", ""};
    w.lstPlaylist_MouseDown(2, 0, 5, 5);
    w.lstPlaylist->SetSelected(1, true);
    w.lstPlaylist_MouseDown(2, 0, 5, 5);  // dismissed
    w.lstPlaylist_MouseDown(1, 0, 5, 5);
    w.lstPlaylist->SetSelected(1, false);
    EXPECT_EQ(ui.popups, QList<QMenu*>({w.mnurightclicklist, w.mnurightclicklist}));
}
}  // namespace

// What each operation does to the cue, and which ones refresh the count and
// rewrite the auto-recover file: that decides what a restart brings back.
// The cue is A B C D with B and D selected (D the selected item), the search
// results X Y Z with X and Z selected (Z the selected item). A move leaves the
// moved song the selected item, so repeated presses keep moving it, and its
// name becomes the tool tip.
TEST_F(CueTest, EachOperationsResultCountAndFile) {
    struct Case {
        const char* name;
        std::function<void(form1&)> run;
        QString result;
        bool refreshes;
        bool writes;
        int selectedAfter = 0;  // 0: no move
        int selectedBefore = 4;
        bool resultsKeepSelection = true;
    };
    const auto resultsPopup = [](form1& w) { w.lstresults_MouseDown(2, 0, 0, 0); };
    const Case cases[] = {
        {"move up", &form1::cmdUP_Click, "ABDC", false, false, 3},
        {"double-click is move up", &form1::lstPlaylist_DblClick, "ABDC", false, false, 3},
        {"move down wraps at the end", &form1::cmdDown_Click, "DABC", false, false, 1},
        {"move up wraps at the top", &form1::cmdUP_Click, "BCDA", false, false, 4, 1},
        {"move without a selected item", &form1::cmdUP_Click, "ABCD", false, false, 0, 0},
        {"move to top", &form1::cmdPlayNow_Click, "DBAC", false, true},
        {"clear selection", &form1::cmdCS_Click, "AC", true, true},
        {"delete by pop-up", [this](form1& w) { deleteByPopup(app.ui, w); }, "AC", true, true},
        {"clearlist", &form1::Command3_Click, "", true, false},
        {"send to top", &form1::cmdFirst_Click, "ZXABCD", true, true},
        {"add all from search", &form1::Command7_Click, "ABCDXYZ", true, false, 0, 4, false},
        {"results double-click", &form1::lstresults_DblClick, "ABCDZ", true, true},
        {"results pop-up", resultsPopup, "ABCDXZ", true, true},
    };
    for (const Case& c : cases) {
        load(f->lstPlaylist, "ABCD");
        f->lstPlaylist->SetSelected(2, true);
        if (c.selectedBefore) f->lstPlaylist->SetSelectedItem(c.selectedBefore);
        load(f->lstresults, "XYZ");
        f->lstresults->SetSelected(1, true);
        f->lstresults->SetSelectedItem(3);
        app.ui.popupChoices = {"Add Selected"};
        f->lblPlaySongs->setText("unchanged");
        writeBackup("unchanged");
        c.run(*f);
        QStringList rows;
        for (const QChar n : c.result) rows << QString("1|%1|/%1/").arg(n);
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
        if (c.selectedAfter) {
            EXPECT_EQ(f->lstPlaylist->SelectedItem(), c.selectedAfter) << c.name;
            EXPECT_EQ(f->lstPlaylist->toolTip(), QString(c.result[c.selectedAfter - 1])) << c.name;
        }
    }
}

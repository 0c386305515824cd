#include "support/CueFixture.h"

class SearchTest : public CueTest {
  protected:
    void SetUp() override {
        for (const char* s : {"ABBA - Waterloo.mp3", "abba gold.wav", "O'Neil.mp3", "oneil.mp3", "x.mid"})
            app.addSong(s, "/lib/");
    }
    QStringList search(const QString& text) {
        f->txtSearch->setText(text);
        f->Command1_Click();
        QStringList found = names(f->lstresults);
        found.sort(Qt::CaseInsensitive);
        return found;
    }
};

TEST_F(SearchTest, FindsNamesContainingTheText) {
    struct Case {
        QString text;
        QStringList found;
        QString box;
    };
    const QStringList all{"ABBA - Waterloo.mp3", "abba gold.wav", "O'Neil.mp3",
                          "oneil.mp3",           "seed.wav",      "x.mid"};
    const Case cases[] = {
        {"abba", {"ABBA - Waterloo.mp3", "abba gold.wav"}, "abba"},
        {"  o'neil  ", {"O'Neil.mp3"}, "o'neil"},
        {"%", all, "%"},
        {"\tabba", {}, "\tabba"},
        {"first line\r\nabba", {"ABBA - Waterloo.mp3", "abba gold.wav"}, "abba"},
        {"  first line\r\n x.mid", {"x.mid"}, "x.mid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(search(c.text), c.found);
        EXPECT_EQ(f->txtSearch->text(), c.box);
        EXPECT_EQ(f->lblTotalsongs->text(),
                  "Total Songs Found:" + (c.found.isEmpty() ? QString() : QString::number(c.found.size())));
        EXPECT_FALSE(Module1::rsLibrary.IsOpen());
    }
    search("o'neil");
    EXPECT_EQ(Module1::StrSQL, "SELECT * FROM songs WHERE artist like '%o''neil%'");
    EXPECT_EQ(f->lstresults->SubItem(1, 2), "/lib/");
    EXPECT_EQ(f->lstresults->Text(1), "1");
}

TEST_F(SearchTest, EnterSearchesAndBlankSearchEmptiesTheListOnly) {
    f->txtSearch->setText("abba");
    for (const int pressed : {int('a'), 13}) {
        int key = pressed;
        f->txtSearch_KeyPress(key);
        EXPECT_EQ(f->lstresults->Count(), pressed == 13 ? 2 : 0);
    }
    search("   ");
    EXPECT_EQ(f->lstresults->Count(), 0);
    EXPECT_EQ(f->lblTotalsongs->text(), "Total Songs Found:2");

    search("abba");
    f->Command4_Click();
    EXPECT_EQ(f->lstresults->Count(), 0);
    EXPECT_EQ(f->txtSearch->text(), "");
    EXPECT_EQ(f->lblTotalsongs->text(), "Total Songs Found:2");
}

// What each way from the results adds, and the count and backup after it, is
// the cue operation table's; here the pieces only the results list has.
TEST_F(SearchTest, PopUpAddsInResultsOrderAndTheToolTipFollowsTheSelectedItem) {
    fill(f->lstresults, {"r1", "r2", "r3", "r4"});
    f->lstresults_DblClick();
    EXPECT_TRUE(cue().isEmpty()) << "no selected item";
    select(f->lstresults, {4, 1, 3});
    app.ui.popupChoices = {"Add Selected", ""};
    f->lstresults_MouseDown(2, 0, 3, 3);
    EXPECT_EQ(app.ui.popups.last(), f->mnuSendSelected);
    f->lstresults_MouseDown(2, 0, 3, 3);  // dismissed
    EXPECT_EQ(cue(), QStringList({"r1", "r3", "r4"}));

    f->lstresults->SetSelectedItem(2);
    f->lstresults_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(f->lstresults->toolTip(), "r2");
}

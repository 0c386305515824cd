#include "app/ListOptions.h"
#include "support/CueFixture.h"

class SearchTest : public CueTest {
  protected:
    void SetUp() override {
        for (const char* s : {"ABBA - Waterloo.mp3", "abba gold.wav", "O'Neil.mp3", "oneil.mp3", "x.mid"})
            app.addSong(s, "/lib/");
    }
    // Clears, types the text and presses Enter; the names found, sorted.
    QStringList search(const QString& text, int key = 13) {
        f->Command4_Click();
        f->txtSearch->setText(text);
        f->txtSearch_KeyPress(key);
        QStringList found = names(f->lstresults);
        found.sort(Qt::CaseInsensitive);
        return found;
    }
};

// Each row: the text typed, the names found, the text left in the box and the
// count shown (none for no hits; a blank search leaves the last count).
TEST_F(SearchTest, FindsNamesContainingTheText) {
    const struct {
        QString text;
        QStringList found;
        QString box, count;
    } cases[] = {
        {"  o'neil  ", {"O'Neil.mp3"}, "o'neil", "1"},
        {"o%l", {"abba gold.wav", "O'Neil.mp3", "oneil.mp3"}, "o%l", "3"},
        {"   ", {}, "   ", "3"},
        {"\tabba", {}, "\tabba", ""},
        {"first line\r\nabba", {"ABBA - Waterloo.mp3", "abba gold.wav"}, "abba", "2"},
        {"  first line\r\n x.mid", {"x.mid"}, "x.mid", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(search(c.text), c.found);
        EXPECT_EQ(f->txtSearch->text(), c.box);
        EXPECT_EQ(f->lblTotalsongs->text(), "Total Songs Found:" + c.count);
        EXPECT_FALSE(Module1::rsLibrary.IsOpen());
    }
    EXPECT_EQ(RowsOf(f->lstresults), QStringList{"1|x.mid|/lib/"});
    EXPECT_EQ(search("abba", 'a'), QStringList()) << "only Enter searches, and Clear emptied the list";
}

// What each way from the results adds, and the count and backup after it, is
// the cue operation table's; here the pieces only the results list has.
TEST_F(SearchTest, PopUpAddsInResultsOrderAndTheToolTipFollowsTheSelectedItem) {
    fill(f->lstresults, {"r1", "r2", "r3", "r4"});
    f->lstresults_DblClick();  // no selected item: adds nothing
    select(f->lstresults, {4, 1, 3});
    app.ui.popupChoices = {"Add Selected", ""};
    f->lstresults_MouseDown(2, 0, 3, 3);
    f->lstresults_MouseDown(2, 0, 3, 3);  // dismissed
    EXPECT_EQ(cue(), QStringList({"r1", "r3", "r4"}));
    f->lstresults->SetSelectedItem(2);
    f->lstresults_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(f->lstresults->toolTip(), "r2");
}

// With "Search Tags Too" a song is also found by its title, artist or album,
// after the file-name hits and in the library's order; without it the search
// is by file name alone, by exactly the statement it always ran.
TEST_F(SearchTest, TagsFindSongsAfterTheFileNameHits) {
    app.addSong("02 Track.mp3", "/lib/", QString::fromUtf8("Ünder the Aurora"));
    app.addSong("01 Track.mp3", "/lib/");
    app.addSong("Aurora - Runaway.mp3", "/lib/");
    app.exec("UPDATE songs SET artist2 = 'AURORA', album = 'x' WHERE artist = '01 Track.mp3'");
    app.exec("UPDATE songs SET album = 'All My Demons' WHERE artist = 'abba gold.wav'");
    const struct {
        bool tagsToo;
        QString text;
        QStringList found;  // in the order shown
    } cases[] = {
        {true, "aurora", {"Aurora - Runaway.mp3", "02 Track.mp3", "01 Track.mp3"}},
        {true, QString::fromUtf8("ünder"), {"02 Track.mp3"}},
        {true, "demons", {"abba gold.wav"}},
        {true, "x", {"x.mid", "01 Track.mp3"}},  // each song once, by its name first
        {false, "aurora", {"Aurora - Runaway.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Options::Set(Options::SearchTagsToo, c.tagsToo);
        f->txtSearch->setText(c.text);
        f->Command1_Click();
        EXPECT_EQ(names(f->lstresults), c.found);
    }
    EXPECT_EQ(Module1::StrSQL, "SELECT * FROM songs WHERE artist like '%aurora%'");
    Options::Set(Options::SearchTagsToo, true);
}

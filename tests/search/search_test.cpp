#include <QCollator>
#include <QCoreApplication>
#include <QHeaderView>
#include <numeric>

#include "app/ListOptions.h"
#include "library/SongSearch.h"
#include "layout/Twips.h"
#include "app/SortedOrder.h"
#include "support/CueFixture.h"
#include "support/WavWriter.h"

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
    const std::tuple<QString, QStringList, QString, QString> cases[] = {
        {"  o'neil  ", {"O'Neil.mp3"}, "o'neil", "1"},
        {"o%l", {"abba gold.wav", "O'Neil.mp3", "oneil.mp3"}, "o%l", "3"},
        {"   ", {}, "   ", "3"},
        {"\tabba", {}, "\tabba", ""},
        {"first line\r\nabba", {"ABBA - Waterloo.mp3", "abba gold.wav"}, "abba", "2"},
        {"  first line\r\n x.mid", {"x.mid"}, "x.mid", "1"},
    };
    for (const auto& [text, found, box, count] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(search(text), found);
        EXPECT_EQ(f->txtSearch->text(), box);
        EXPECT_EQ(f->lblTotalsongs->text(), "Total Songs Found:" + count);
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
    // Each row: "Search Tags Too", the text and the names found in the order shown.
    const std::tuple<bool, QString, QStringList> cases[] = {
        {true, "aurora", {"Aurora - Runaway.mp3", "02 Track.mp3", "01 Track.mp3"}},
        {true, QString::fromUtf8("ünder"), {"02 Track.mp3"}},
        {true, "demons", {"abba gold.wav"}},
        {true, "x", {"x.mid", "01 Track.mp3"}},  // each song once, by its name first
        {false, "aurora", {"Aurora - Runaway.mp3"}},
    };
    for (const auto& [tagsToo, text, found] : cases) {
        SCOPED_TRACE(text.toStdString());
        Options::Set(Options::SearchTagsToo, tagsToo);
        f->txtSearch->setText(text);
        f->Command1_Click();
        EXPECT_EQ(names(f->lstresults), found);
    }
    EXPECT_EQ(Module1::StrSQL, "SELECT * FROM songs WHERE artist like '%aurora%'");
    Options::Set(Options::SearchTagsToo, true);
}

// The copy in memory finds what the two statements find, in their order, for
// every kind of text; it follows each change to the library and stands aside
// inside a transaction, whose rows may yet be undone.
TEST_F(SearchTest, TheCopyInMemoryFindsWhatTheStatementsFind) {
    app.addSong(QString::fromUtf8("\u212Aelvin.mp3"), "/lib/", "Kay");  // the Kelvin sign folds to "k"
    app.addSong("01 Track.mp3", "/lib/", QString::fromUtf8("\u00DCNDER the Aurora"));
    app.exec("INSERT INTO songs (artist, path, title) VALUES (NULL, '/lib/', 'a_b')");
    app.exec("UPDATE songs SET artist2 = 'Aurora', album = '100%' WHERE artist = 'x.mid'");
    auto statements = [](const QString& text) {
        QStringList out;
        for (const QString& sql : form1::SearchStatements(text, true)) {
            Recordset rs;
            rs.Open(sql, Module1::cnLibrary);
            for (; !rs.EOF_(); rs.MoveNext()) {
                QStringList cells;
                for (const char* c : {"artist", "path", "artist2", "title"}) cells << rs.Fields(c).toString();
                out << cells.join('|');
            }
        }
        return out;
    };
    SongSearch copy;
    auto found = [&](const QString& text) {
        QVector<SongSearch::Song> songs;
        QStringList out;
        if (!copy.Find(Module1::cnLibrary, text, true, songs)) out << "stood aside";
        for (const auto& s : songs) out << s.name + '|' + s.folder + '|' + s.artist + '|' + s.title;
        return out;
    };
    for (const char* text :
         {"ABBA", "k", "\u00FCnder", "aurora", "%", "_", "a_b", "o%l", "o'neil", "100%", "zz"})
        EXPECT_EQ(found(QString::fromUtf8(text)), statements(QString::fromUtf8(text))) << text;

    app.exec("UPDATE songs SET title = 'Needle' WHERE artist = 'x.mid'");
    EXPECT_EQ(found("needle"), QStringList{"x.mid|/lib/|Aurora|Needle"});
    {
        Connection other;
        other.ConnectionString = Module1::cnLibrary.ConnectionString;
        other.Open();
        other.Execute("UPDATE songs SET album = 'needles' WHERE artist = 'oneil.mp3'");
    }
    EXPECT_EQ(found("needle"), statements("needle"));
    EXPECT_EQ(found("needle").size(), 2);
    Module1::cnLibrary.BeginTrans();
    EXPECT_EQ(found("needle"), QStringList{"stood aside"});
    Module1::cnLibrary.RollbackTrans();
}

// The tag columns come from the library and the length reader and are never
// stored in the rows; a header click sorts the results, never the cue.
TEST_F(SearchTest, TagColumnsShowSongsAndSortTheResultsButNeverTheCue) {
    const QString d = app.path() + "/";
    WriteSineWav(d + "b.wav", 90, 440);
    WriteSineWav(d + "a.wav", 30, 440);
    app.addSong("b.wav", d, "Zed");
    app.addSong("a.wav", d, "Alpha");
    app.exec("UPDATE songs SET artist2 = 'Aurora' WHERE artist = 'b.wav'");
    auto shown = [](const ListView* list) {
        QStringList out;
        for (int r = 0; r < list->Count(); ++r) {
            QStringList cells;
            for (int c = 1; c < list->model()->columnCount(); ++c)
                if (!list->isColumnHidden(c)) cells << list->model()->index(r, c).data().toString();
            out << cells.join('|');
        }
        return out;
    };
    auto headers = [](const ListView* list) {
        QStringList out;
        for (int c = 0; c < list->model()->columnCount(); ++c)
            out << list->model()->headerData(c, Qt::Horizontal).toString() +
                       (list->isColumnHidden(c) ? "-" : "");
        return out;
    };
    f->txtSearch->setText(".wav");
    f->Command1_Click();
    f->Command7_Click();  // all into the cue
    for (int round = 0; round < 3; ++round) {
        shown(f->lstresults);  // the shown rows' lengths go to the reader
        f->cueTime_.WaitIdle();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(headers(f->lstresults), QStringList({"id-", "Song", "Path-", "Artist", "Title", "Length"}));
    EXPECT_EQ(shown(f->lstPlaylist),
              QStringList({"seed.wav|||", "abba gold.wav|||", "b.wav|Aurora|Zed|1:30", "a.wav||Alpha|0:30"}));

    f->lstresults->SetSelected(names(f->lstresults).indexOf("b.wav") + 1, true);
    // By title, again (the other way round), by length (as a number).
    const std::pair<int, QStringList> clicks[] = {{4, {"seed.wav", "abba gold.wav", "a.wav", "b.wav"}},
                                                  {4, {"b.wav", "a.wav", "seed.wav", "abba gold.wav"}},
                                                  {5, {"seed.wav", "abba gold.wav", "a.wav", "b.wav"}}};
    for (const auto& [column, songs] : clicks) {
        emit f->lstresults->header()->sectionClicked(column);
        emit f->lstPlaylist->header()->sectionClicked(column);
        EXPECT_EQ(names(f->lstresults), songs);
        EXPECT_TRUE(f->lstresults->Selected(songs.indexOf("b.wav") + 1)) << "the selection moves along";
    }
    EXPECT_EQ(cue(), QStringList({"seed.wav", "abba gold.wav", "b.wav", "a.wav"}));
    EXPECT_EQ(RowsOf(f->lstPlaylist).value(2), "1|b.wav|" + d) << "rows keep the shared layout";

    Options::Set(Options::ShowTagColumns, false);
    f->ApplyTagColumns();
    for (ListView* list : {f->lstresults, f->lstPlaylist}) {
        EXPECT_EQ(headers(list), QStringList({"id-", "Song", "Path-"}));
        EXPECT_EQ(list->columnWidth(1), Twips::px(5500));
    }
    emit f->lstresults->header()->sectionClicked(1);
    EXPECT_EQ(names(f->lstresults), clicks[2].second) << "no sorting without the columns";
    f->Command1_Click();
    EXPECT_EQ(f->lstresults->header()->sortIndicatorSection(), -1) << "a new search shows in its own order";
    Options::Set(Options::ShowTagColumns, true);
}

// A header click sorts as QCollator does (numbers by value, letter case
// aside) in the user's locale, whose alphabet may put Å after Z.
TEST(SortedOrder, FollowsTheCollationOfTheLocale) {
    const QStringList texts = {"Song 10", "song 9", "Äpfel", "apfel", "Zebra", "zebra", "",   "Ångström",
                               "Ölfass",  "O",      "Émile", "emile", "東京",  "a-b",   "ab", "Straße"};
    const QLocale before;
    for (const char* name : {"C", "en_US", "de_DE", "sv_SE", "ja_JP"}) {
        QLocale::setDefault(QLocale(name));
        QCollator collator;
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<int> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return collator.sortKey(texts[a].toCaseFolded())
                       .compare(collator.sortKey(texts[b].toCaseFolded())) < 0;
        });
        EXPECT_EQ(SortedOrder(
                      int(texts.size()), [&](int r) { return texts[r]; }, Qt::AscendingOrder),
                  expected)
            << name;
    }
    QLocale::setDefault(before);
}

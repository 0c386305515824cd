#include <gtest/gtest.h>

#include <QFile>

#include "support/CueFixture.h"
#include "support/TempApp.h"
#include "windows/multilist.h"

namespace {

// Writes a list file of the given records (each written as one quoted line).
QString writeList(const QString& file, const QStringList& records) {
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    for (const QString& r : records) f.write(("\"" + r + "\"\r\n").toUtf8());
    return file;
}

}  // namespace

TEST(Multilist, TitleIsTheNameUpToTheFirstDot) {
    for (const char* name : {"party.vlx", "party", "party.my.vlx"})
        EXPECT_EQ(multilist::ListTitle(name), "party");
    EXPECT_EQ(multilist::ListTitle(".vlx"), "");
}

TEST(Multilist, OpensSeveralFilesShowsTheTopListAndRemovesLists) {
    TempApp app;
    const QString d = app.path() + "/";
    for (const char* n : {"first", "a", "b"}) writeList(d + n + ".vlx", {QString("/m/*()*%1.mp3").arg(n)});
    multilist& w = Windows::Load<multilist>();

    app.ui.files = {{d + "first.vlx"}, {d + "a.vlx", d + "b.vlx"}, {d + "a.vlx"}, {}, {"/x.vlx", "/y.vlx"}};
    for (int i = 0; i < 5; ++i) w.cmdOpen_Click();
    EXPECT_EQ(app.ui.fileDialogs.value(0).kind, Seams::FileDialog::OpenMultiple);
    // Opening one again adds it again; cancelling changes nothing; the root's "/" is not doubled.
    EXPECT_EQ(RowsOf(w.lstPlaylist), (QStringList{"1|first.vlx|" + d, "1|a.vlx|" + d, "1|b.vlx|" + d,
                                                  "1|a.vlx|" + d, "1|x.vlx|/", "1|y.vlx|/"}));
    // The top list is shown, not one just added.
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List:first");
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|first.mp3|/m/"});

    w.lstPlaylist->ClearSelection();
    w.cmdRemove_Click();  // nothing selected: nothing removed
    EXPECT_EQ(w.lstPlaylist->Count(), 6);
    w.lstPlaylist->SetSelectedItem(3);
    w.lstPlaylist_Click();
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|b.mp3|/m/"});
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List:b");
    // Removing a list clears the contents even with lists left.
    w.cmdRemove_Click();
    EXPECT_FALSE(RowsOf(w.lstPlaylist).contains("1|b.vlx|" + d));
    EXPECT_EQ(w.lstPlaylist->Count(), 5);
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblsongs->text(), "");
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List ");
}

// Record parsing is the list file reader's; here: what reaches the list and the label.
TEST(Multilist, ReadsListFiles) {
    TempApp app;
    multilist& w = Windows::Load<multilist>();
    w.OpenList(writeList(app.path() + "/l.vlx", {"/m/*()*b.mp3", "*()*a song.mp3"}));
    EXPECT_EQ(RowsOf(w.lstresults), (QStringList{"1|b.mp3|/m/", "1|a song.mp3|"}));
    EXPECT_EQ(w.lblsongs->text(), "Number of Songs In Selected List:2");
    // A damaged record stops reading and leaves the label; so does a missing file.
    w.OpenList(writeList(app.path() + "/d.vlx", {"/m/*()*a.mp3", "garbage", "/m/*()*b.mp3"}));
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|a.mp3|/m/"});
    w.OpenList(app.path() + "/missing.vlx");
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblsongs->text(), "Number of Songs In Selected List:2");
    w.OpenList(writeList(app.path() + "/e.vlx", {}));
    EXPECT_EQ(w.lblsongs->text(), "Number of Songs In Selected List:0");
}

TEST(Multilist, EntireListGoesToTheEndOfTheCue) {
    TempApp app;
    multilist& w = Windows::Load<multilist>();
    w.OpenList(writeList(app.path() + "/l.vlx", {"/m/*()*A.mp3", "/n/*()*B.mp3"}));
    Windows::Load<form1>().lstPlaylist->AddRows({{"1", "old.mp3", "/o/"}});
    w.cmdEntireList_Click();
    EXPECT_EQ(CueRows(), (QStringList{"1|old.mp3|/o/", "1|A.mp3|/m/", "1|B.mp3|/n/"}));
    EXPECT_EQ(CueCountLabel(), "Songs in cue:3");
    EXPECT_EQ(BackupRows(), CueRows());
    EXPECT_EQ(w.lstresults->SelectedItem(), 2);
}

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "CueRows.h"
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

QStringList songs(const multilist& w) {
    QStringList out;
    for (int i = 1; i <= w.lstresults->Count(); ++i)
        out << w.lstresults->Text(i) + "|" + w.lstresults->SubItem(i, 1) + "|" + w.lstresults->SubItem(i, 2);
    return out;
}

QStringList lists(const multilist& w) {
    QStringList out;
    for (int i = 1; i <= w.lstPlaylist->Count(); ++i)
        out << w.lstPlaylist->SubItem(i, 1) + "|" + w.lstPlaylist->SubItem(i, 2);
    return out;
}

}  // namespace

TEST(Multilist, TitleIsTheNameUpToTheFirstDot) {
    EXPECT_EQ(multilist::ListTitle("party.vlx"), "party");
    EXPECT_EQ(multilist::ListTitle("my.party.vlx"), "my");
    EXPECT_EQ(multilist::ListTitle("party"), "party");
    EXPECT_EQ(multilist::ListTitle(".vlx"), "");
}

TEST(Multilist, OpensSeveralFilesAtOnceAndShowsTheTopList) {
    TempApp app;
    const QString d = app.path();
    writeList(d + "/first.vlx", {"/m/*()*one.mp3"});
    writeList(d + "/a.vlx", {"/m/*()*a.mp3"});
    writeList(d + "/b.vlx", {"/m/*()*b.mp3"});
    writeList(d + "/c.vlx", {"/m/*()*c.mp3"});
    multilist& w = Windows::Load<multilist>();

    app.ui.files.push_back({d + "/first.vlx"});
    w.cmdOpen_Click();
    EXPECT_EQ(app.ui.fileDialogs.value(0).kind, Seams::FileDialog::OpenMultiple);
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List:first");

    app.ui.files.push_back({d + "/a.vlx", d + "/b.vlx", d + "/c.vlx"});
    w.cmdOpen_Click();
    EXPECT_EQ(lists(w), (QStringList{"first.vlx|" + d + "/", "a.vlx|" + d + "/", "b.vlx|" + d + "/",
                                     "c.vlx|" + d + "/"}));
    // The top list is shown, not one just added.
    EXPECT_EQ(w.ListPath, d + "/first.vlx");
    EXPECT_EQ(songs(w), QStringList{"1|one.mp3|/m/"});

    // Opening one again adds it again; cancelling changes nothing.
    app.ui.files.push_back({d + "/a.vlx"});
    w.cmdOpen_Click();
    w.cmdOpen_Click();
    EXPECT_EQ(lists(w).size(), 5);
    EXPECT_EQ(lists(w).last(), "a.vlx|" + d + "/");

    // Several files in the root folder: its "/" is not doubled.
    app.ui.files.push_back({"/x.vlx", "/y.vlx"});
    w.cmdOpen_Click();
    EXPECT_EQ(lists(w).mid(5), (QStringList{"x.vlx|/", "y.vlx|/"}));
}

TEST(Multilist, ReadsListFiles) {
    struct Case {
        const char* what;
        QStringList records;
        QStringList rows;
        const char* label;  // nullptr: the label keeps its earlier text
    };
    const QList<Case> cases = {
        {"an empty list", {}, {}, "Number of Songs In Selected List:0"},
        {"songs in file order",
         {"/m/*()*b.mp3", "/m x/*()*a song.mp3"},
         {"1|b.mp3|/m/", "1|a song.mp3|/m x/"},
         "Number of Songs In Selected List:2"},
        {"an empty folder", {"*()*a.mp3"}, {"1|a.mp3|"}, "Number of Songs In Selected List:1"},
        {"a later separator belongs to the name",
         {"/m/*()*odd*()*name.mp3"},
         {"1|odd*()*name.mp3|/m/"},
         "Number of Songs In Selected List:1"},
        {"a damaged record stops reading",
         {"/m/*()*a.mp3", "garbage", "/m/*()*b.mp3"},
         {"1|a.mp3|/m/"},
         nullptr},
    };
    for (const Case& c : cases) {
        TempApp app;
        multilist& w = Windows::Load<multilist>();
        w.lblsongs->setText("before");
        w.OpenList(writeList(app.path() + "/l.vlx", c.records));
        EXPECT_EQ(songs(w), c.rows) << c.what;
        EXPECT_EQ(w.lblsongs->text(), c.label ? c.label : "before") << c.what;
    }
}

TEST(Multilist, AMissingFileLeavesTheSongsEmpty) {
    TempApp app;
    multilist& w = Windows::Load<multilist>();
    w.OpenList(writeList(app.path() + "/l.vlx", {"/m/*()*a.mp3"}));
    w.OpenList(app.path() + "/missing.vlx");
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblsongs->text(), "Number of Songs In Selected List:1");
}

TEST(Multilist, RemoveListClearsTheContentsEvenWithListsLeft) {
    TempApp app;
    const QString d = app.path();
    writeList(d + "/a.vlx", {"/m/*()*a.mp3"});
    writeList(d + "/b.vlx", {"/m/*()*b.mp3"});
    multilist& w = Windows::Load<multilist>();
    app.ui.files.push_back({d + "/a.vlx", d + "/b.vlx"});
    w.cmdOpen_Click();
    ASSERT_EQ(w.lstresults->Count(), 1);

    w.lstPlaylist->ClearSelection();
    w.cmdRemove_Click();  // nothing selected: nothing removed
    EXPECT_EQ(lists(w).size(), 2);

    w.lstPlaylist->SetSelectedItem(2);
    w.lstPlaylist_Click();
    EXPECT_EQ(songs(w), QStringList{"1|b.mp3|/m/"});
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List:b");
    w.cmdRemove_Click();
    EXPECT_EQ(lists(w), QStringList{"a.vlx|" + d + "/"});
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblsongs->text(), "");
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List ");
}

TEST(Multilist, CopiesSongsIntoTheCue) {
    TempApp app;
    multilist& w = Windows::Load<multilist>();
    w.OpenList(writeList(app.path() + "/l.vlx", {"/m/*()*A.mp3", "/n/*()*B.mp3", "/o/*()*C.mp3"}));

    w.cmdPlaynext_Click();  // nothing selected
    w.lstresults_DblClick();
    EXPECT_TRUE(CueRows().isEmpty());

    w.lstresults->SetSelectedItem(1);
    w.cmdPlaynext_Click();
    w.lstresults->ClearSelection();
    w.lstresults->SetSelectedItem(2);
    w.cmdPlaynext_Click();
    EXPECT_EQ(CueRows(), (QStringList{"1|B.mp3|/n/", "1|A.mp3|/m/"}));

    w.lstresults_DblClick();
    EXPECT_EQ(CueRows().last(), "1|B.mp3|/n/");
    EXPECT_EQ(CueCountLabel(), "Songs in cue:3");

    w.cmdEntireList_Click();
    EXPECT_EQ(CueRows().mid(3), (QStringList{"1|A.mp3|/m/", "1|B.mp3|/n/", "1|C.mp3|/o/"}));
    EXPECT_EQ(CueCountLabel(), "Songs in cue:6");
    EXPECT_TRUE(AutoRecoverText().endsWith("\"/n/*()*B.mp3\"\r\n\"/o/*()*C.mp3\"\r\n"));
    EXPECT_EQ(w.lstresults->SelectedItem(), 3);
}

#include <gtest/gtest.h>

#include "support/CueFixture.h"
#include "support/TempApp.h"
#include "windows/formlist.h"

TEST(MasterList, SplitsAnEntryBeforeTheFolder) {
    const char* cases[][3] = {
        {"song.mp3 /music/", "song.mp3", "/music/"},
        {"my song.mp3 /music/", "my song.mp3", "/music/"},
        {"top.mp3 /", "top.mp3", "/"},
    };
    QString name, folder;
    for (const auto& c : cases) {
        EXPECT_TRUE(formlist::SplitEntry(c[0], name, folder)) << c[0];
        EXPECT_EQ(name + "|" + folder, QString(c[1]) + "|" + c[2]);
    }
    // No folder this system can use, no name, no separating blank.
    for (const char* bad : {"song.mp3 C:\\Music\\", " /music/", "song.mp3/music/"})
        EXPECT_FALSE(formlist::SplitEntry(bad, name, folder)) << bad;
}

TEST(MasterList, ListsEverySongByNameWithTheTotal) {
    TempApp app;
    app.addSong("zed.mp3", "/a/");
    app.addSong("same.mp3", "/one/");
    app.addSong("alpha.mp3", "/a/");
    app.addSong("same.mp3", "/two/");
    formlist& w = Windows::Load<formlist>();
    ASSERT_EQ(w.ListCount(), 4);
    EXPECT_EQ(w.List(0), "alpha.mp3 /a/");
    // The same name in two folders: two entries next to each other.
    QStringList middle{w.List(1), w.List(2)};
    middle.sort();
    EXPECT_EQ(middle, (QStringList{"same.mp3 /one/", "same.mp3 /two/"}));
    EXPECT_EQ(w.List(3), "zed.mp3 /a/");
    EXPECT_EQ(w.Label2->text(), "4");
}

TEST(MasterList, EntriesWithoutAUsableFolderAreNeverCued) {
    TempApp app;
    app.addSong("c.mp3", "C:\\Music\\");
    app.addSong("d.mp3", "");
    formlist& w = Windows::Load<formlist>();
    for (int i : {0, 1}) {
        w.SetListIndex(i);
        w.cmdPlaynext_Click();
        w.lstShowSongs_DblClick();
    }
    EXPECT_TRUE(CueRows().isEmpty());
}

TEST(MasterList, ClosingEitherWayEnablesShowSongsAgain) {
    TempApp app;
    form1& f = Windows::Load<form1>();

    f.cmdShowSongs_Click();
    ASSERT_TRUE(Windows::IsLoaded<formlist>());
    EXPECT_FALSE(f.cmdShowSongs->isEnabled());
    Windows::Find<formlist>()->cmdClose_Click();
    EXPECT_TRUE(f.cmdShowSongs->isEnabled() && !Windows::IsLoaded<formlist>());
    Windows::flushDeleted();
    f.cmdShowSongs_Click();
    Windows::Find<formlist>()->close();  // the title bar's close box
    EXPECT_TRUE(f.cmdShowSongs->isEnabled() && !Windows::IsLoaded<formlist>());
}

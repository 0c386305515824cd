#include "support/CueFixture.h"

class ListFilesTest : public CueTest {
  protected:
    QString inApp(const QString& name) const { return app.path() + "/" + name; }
};

// The bytes of a record are the list file tests' concern; here a saved list
// comes back as it was. Unreadable and garbage lists are the hardening tables'.
TEST_F(ListFilesTest, SaveAndOpenListsAndSingleSongs) {
    f->cmdSave_Click();
    EXPECT_EQ(app.ui.lastText(), "There are no songs in the list");
    EXPECT_EQ(app.ui.messages.last().icon, Seams::Icon::None);
    EXPECT_TRUE(app.ui.fileDialogs.isEmpty());

    f->lstPlaylist->AddRows(
        {{"1", "abc.mp3", "/music/"}, {"1", "x, y.wav", "/mix/"}, {"1", "o'neil.mp3", "/m/"}});
    const QStringList saved = CueRows();
    writeBackup("untouched");
    app.ui.files = {{inApp("mylist")}, {inApp("no/such/folder/list.vlx")}};
    f->mnuSave_Click();  // the extension is added
    f->cmdSave_Click();
    EXPECT_EQ(app.ui.messages.size(), 2);
    EXPECT_TRUE(app.ui.lastText().contains("no/such/folder/list.vlx"));

    fill(f->lstPlaylist, {"replaced"});
    app.ui.files = {{inApp("mylist.vlx")}, {}, {}, {"/music/deep/abc.mp3"}};
    f->mnuOpenList_Click();
    EXPECT_EQ(CueRows(), saved);
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:3");
    EXPECT_EQ(backup(), QByteArray("untouched"));
    // Cancelled dialogs keep the cue; a single song is appended as chosen.
    f->cmdOpen_Click();
    f->mnuOpen_Click();
    f->mnuOpen_Click();
    EXPECT_EQ(CueRows(), saved + QStringList{"1|abc.mp3|/music/deep/"});
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:4");
    EXPECT_EQ(app.ui.messages.size(), 2);
}

// Other players' lists: export, then import appends and the open dialog replaces, by type.
TEST_F(ListFilesTest, PlayListsOfOtherPlayersGoOutAndComeBack) {
    for (const char* n : {"a.mp3", "b.wav"}) QFile(inApp(n)).open(QIODevice::WriteOnly);
    f->lstPlaylist->AddRows({{"1", "a.mp3", app.path() + "/"}, {"1", "b.wav", app.path() + "/"}});
    app.ui.files.push_back({inApp("out")});
    f->mnuExportList_Click();
    ASSERT_TRUE(QFile::exists(inApp("out.m3u8")));
    QFile(inApp("b.wav")).remove();
    app.ui.files.push_back({inApp("out.m3u8")});
    f->mnuImportList_Click();
    EXPECT_EQ(cue(), QStringList({"a.mp3", "b.wav", "a.mp3"}));
    EXPECT_EQ(app.ui.messages.size(), 1);  // the missing one, counted
    app.ui.files.push_back({inApp("out.m3u8")});
    f->cmdOpen_Click();
    EXPECT_EQ(cue(), QStringList({"a.mp3"}));
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:1");
}

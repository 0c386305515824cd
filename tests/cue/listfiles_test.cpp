#include "CueFixture.h"

class ListFilesTest : public CueTest {
  protected:
    QString inApp(const QString& name) const { return app.path() + "/" + name; }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
};

TEST_F(ListFilesTest, SaveWritesExactRecordsAndOpenReadsThemBack) {
    f->lstPlaylist->AddRows(
        {{"1", "abc.mp3", "/music/"}, {"1", "x, y.wav", "/mix/"}, {"1", "o'neil.mp3", "/m/"}});
    writeBackup("untouched");
    app.ui.files.push_back({inApp("three.vlx")});
    f->cmdSave_Click();
    EXPECT_EQ(read(inApp("three.vlx")),
              QByteArray("\"/music/*()*abc.mp3\"\r\n\"/mix/*()*x, y.wav\"\r\n\"/m/*()*o'neil.mp3\"\r\n"));

    fill(f->lstPlaylist, {"replaced"});
    app.ui.files.push_back({inApp("three.vlx")});
    f->mnuOpenList_Click();
    EXPECT_EQ(cue(), QStringList({"abc.mp3", "x, y.wav", "o'neil.mp3"}));
    EXPECT_EQ(f->lstPlaylist->SubItem(2, 2), "/mix/");
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:3");
    EXPECT_EQ(backup(), QByteArray("untouched"));
}

TEST_F(ListFilesTest, SaveRefusesAnEmptyCueAddsTheExtensionAndReportsFailure) {
    f->cmdSave_Click();
    EXPECT_EQ(app.ui.lastText(), "There are no songs in the list");
    EXPECT_EQ(app.ui.messages.last().icon, Seams::Icon::None);
    EXPECT_TRUE(app.ui.fileDialogs.isEmpty());

    fill(f->lstPlaylist, {"a.mp3"});
    app.ui.files = {{inApp("mylist")}, {inApp("no/such/folder/list.vlx")}};
    f->mnuSave_Click();
    EXPECT_EQ(read(inApp("mylist.vlx")), QByteArray("\"/m/*()*a.mp3\"\r\n"));
    f->cmdSave_Click();
    EXPECT_EQ(app.ui.messages.size(), 2);
    EXPECT_TRUE(app.ui.lastText().contains("no/such/folder/list.vlx"));
}

TEST_F(ListFilesTest, OpenSingleAppendsTheFileAsChosen) {
    fill(f->lstPlaylist, {"first.mp3"});
    app.ui.files.push_back({"/music/deep/abc.mp3"});
    f->mnuOpen_Click();
    EXPECT_EQ(cue(), QStringList({"first.mp3", "abc.mp3"}));
    EXPECT_EQ(f->lstPlaylist->SubItem(2, 2), "/music/deep/");
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:2");
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

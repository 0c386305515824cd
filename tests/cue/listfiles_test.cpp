#include "support/CueFixture.h"

#include <QDir>

#include "support/FileSizeLimit.h"
#include "support/WavWriter.h"

// The bytes of a record are the list file tests' concern; here a saved list
// comes back as it was, with every name and folder this system allows.
// Unreadable and garbage lists are the hardening table's.
TEST_F(CueTest, SaveAndOpenListsAndSingleSongs) {
    f->cmdSave_Click();
    EXPECT_EQ(app.ui.lastText(), "There are no songs in the list");
    EXPECT_EQ(app.ui.messages.last().icon, Seams::Icon::None);
    EXPECT_TRUE(app.ui.fileDialogs.isEmpty());

    const QStringList saved = {"1|trailing \" |/m/", "1|line\nbreak\".mp3|/m/", "1|x.mp3|/odd*()*dir/",
                               "1|\"q, \".mp3|/a \"b\"/", "1| \tlead|/m/"};
    for (const QString& r : saved) f->lstPlaylist->AddRows({r.split('|')});
    writeBackup("untouched");
    const QString d = app.path() + "/";
    app.ui.files = {{d + "mylist"}, {d + "no/such/folder/list.vlx"}};
    f->mnuSave_Click();  // the extension is added
    f->cmdSave_Click();
    EXPECT_EQ(app.ui.messages.size(), 2);
    EXPECT_TRUE(app.ui.lastText().contains("no/such/folder/list.vlx"));

    fill(f->lstPlaylist, {"replaced"});
    app.ui.files = {{d + "mylist.vlx"}, {}, {}, {"/music/deep/abc.mp3"}};
    f->mnuOpenList_Click();
    EXPECT_EQ(CueRows(), saved);
    EXPECT_EQ(CueCountLabel(), "Songs in cue:5");
    EXPECT_EQ(backup(), QByteArray("untouched"));
    f->autoRecover->WriteNow();  // as its timer would, a moment later
    EXPECT_EQ(BackupRows(), saved);
    // Cancelled dialogs keep the cue; a single song is appended as chosen.
    f->cmdOpen_Click();
    f->mnuOpen_Click();
    f->mnuOpen_Click();
    EXPECT_EQ(CueRows(), saved + QStringList{"1|abc.mp3|/music/deep/"});
    EXPECT_EQ(app.ui.messages.size(), 2);
}

// Other players' lists: export with the library's tags and the files' lengths,
// then import appends and the open dialog replaces, by type. Only the
// scanner's audio types become songs; a file that is no list of its type
// (binary, a DTD that could expand entities, another XML document, cut short)
// is refused whole and the cue kept.
TEST_F(CueTest, PlayListsOfOtherPlayersGoOutAndComeBack) {
    const QString d = app.path() + "/";
    QFile(d + "a.mp3").open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteSineWav(d + "b.wav", 2.0, 440));
    for (const char* n : {"A.mp3", "a.mp3"}) app.addSong(n, d, n);  // the exact name's tags, not A.mp3's
    app.exec("UPDATE songs SET artist2='Ann' WHERE artist='a.mp3'");
    f->lstPlaylist->AddRows({{"1", "a.mp3", d}, {"1", "b.wav", d}});
    app.ui.files = {{d + "out"}, {d + "out.m3u8"}, {d + "out.m3u8"}};
    f->mnuExportList_Click();
    QByteArray out;
    ListFile::ReadAll(d + "out.m3u8", out);
    EXPECT_EQ(out, "#EXTM3U\n#EXTINF:-1,Ann - a.mp3\n" + d.toUtf8() + "a.mp3\n#EXTINF:2,b\n" + d.toUtf8() +
                       "b.wav\n");
    QFile(d + "b.wav").remove();
    f->mnuImportList_Click();
    EXPECT_EQ(cue(), QStringList({"a.mp3", "b.wav", "a.mp3"}));
    EXPECT_EQ(app.ui.lastText(), "1 song taken from out.m3u8. Left out: 1 file not found.");
    f->cmdOpen_Click();
    EXPECT_EQ(cue(), QStringList({"a.mp3"}));

    const QByteArray up = QDir(d).relativeFilePath("/etc/passwd").toUtf8();
    for (const auto& [name, bytes] : std::initializer_list<std::pair<const char*, QByteArray>>{
             {"l.pls", "[playlist]\nFile1=/etc/passwd\nFile2=" + up + "\nFile3=a.mp3\nFile4=http://x\n"},
             {"bin.m3u", QByteArray("a.mp3\n\x00\x01", 8)},
             {"prose.pls", "Dear DJ,\nplease play a.mp3\n"},
             {"dtd.xspf",
              "<!DOCTYPE playlist [<!ENTITY x \"a.mp3\">]><playlist><trackList><track><location>&x;"
              "</location></track></trackList></playlist>"},
             {"page.xspf", "<html><track><location>a.mp3</location></track></html>"},
             {"cut.xspf", "<playlist><trackList><track><location>a.mp3</location>"}}) {
        ListFile::WriteAtomically(d + name, bytes);
        app.ui.files = {{d + name}};
        f->cmdOpen_Click();
        EXPECT_EQ(app.ui.lastText(),
                  name == QString("l.pls")
                      ? "1 song taken from l.pls. Left out: 1 network address, 2 not audio files."
                      : d + name + " is not a play list Velumix can read");
        EXPECT_EQ(cue(), QStringList({"a.mp3"})) << name;
    }
}

// The auto-recover file is written whatever the setting; the setting decides
// whether the next start restores it. A write that fails (a full disk) or
// finds no main window keeps the old file, and is never reported. Which
// operations write it, an emptied cue among them, is the operation table's.
TEST_F(CueTest, AutoRecoverWrittenAlwaysRestoredOnlyWhenOn) {
    app.exec("UPDATE settings SET autosave='NO'");
    fill(f->lstPlaylist, {"one.mp3", "two.mp3", "x, y.wav", "o'neil.mp3", "five.mp3"});
    Module1::SaveAutoRecover();
    const QStringList rows = CueRows();
    restart();
    EXPECT_TRUE(cue().isEmpty());

    // Switching it on through the menu takes effect at the next start.
    f->mnuAutorecover->trigger();
    restart();
    EXPECT_EQ(CueRows(), rows);
    EXPECT_EQ(CueCountLabel(), "Songs in cue:5");

    const QByteArray old = backup();
    fill(f->lstPlaylist, {"six.mp3", "seven.mp3"});
    {
        FileSizeLimit diskFull(16);  // less than the new list, which a write buffer would hold whole
        Module1::SaveAutoRecover();
    }
    EXPECT_EQ(backup(), old);
    EXPECT_TRUE(app.ui.messages.isEmpty());
    UnloadAllWindows();  // the failed write is tried again, at the latest at a normal exit
    EXPECT_EQ(BackupRows(), QStringList({"1|six.mp3|/m/", "1|seven.mp3|/m/"}));
    const QByteArray atExit = backup();
    Module1::SaveAutoRecover();
    EXPECT_EQ(backup(), atExit);
}

// A kill keeps the cue as it last changed, and the song that was on air goes
// back on top; after a normal exit nothing is on air.
TEST_F(CueTest, AfterACrashTheSongOnAirComesBackOnTopOfTheCue) {
    app.exec("UPDATE settings SET autosave='YES'");
    fill(f->lstPlaylist, {"A.mp3", "B.mp3", "C.mp3"});
    f->Command2_Click();
    f->autoRecover->WriteNow();
    QByteArray onAir;
    ASSERT_TRUE(ListFile::ReadAll(Module1::OnAirFile(), onAir));
    const QByteArray cueFile = backup();
    UnloadAllWindows();
    EXPECT_FALSE(QFile::exists(Module1::OnAirFile()));
    // The files as the kill left them.
    ASSERT_TRUE(ListFile::WriteAtomically(Module1::OnAirFile(), onAir));
    writeBackup(cueFile);
    f = &Windows::Load<form1>();
    EXPECT_EQ(cue(), QStringList({"A.mp3", "B.mp3", "C.mp3"}));
    f->autoRecover->WriteNow();
    EXPECT_FALSE(QFile::exists(Module1::OnAirFile()));
}

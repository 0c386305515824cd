#include "support/CueFixture.h"

#include "support/FileSizeLimit.h"

namespace {
const QStringList Five{"one.mp3", "two.mp3", "x, y.wav", "o'neil.mp3", "five.mp3"};
}

class AutoRecoverTest : public CueTest {
  protected:
    void setAutosave(const char* value) { app.exec(QString("UPDATE settings SET autosave='%1'").arg(value)); }
    // Adds songs the way a user does: search results double-clicked one by one.
    void addByDoubleClick(const QStringList& songs) {
        fill(f->lstresults, songs);
        for (int i = 1; i <= songs.size(); ++i) {
            f->lstresults->SetSelectedItem(i);
            f->lstresults_DblClick();
        }
    }
};

TEST_F(AutoRecoverTest, RestartBringsBackTheCueAsLastWritten) {
    setAutosave("YES");
    addByDoubleClick(Five);
    restart();
    EXPECT_EQ(cue(), Five);
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:5");
    EXPECT_EQ(f->lstPlaylist->SubItem(3, 2), "/m/");

    // Deleting every song is written: the next start has an empty cue.
    select(f->lstPlaylist, {1, 2, 3, 4, 5});
    f->cmdCS_Click();
    EXPECT_EQ(backup(), QByteArray());
    restart();
    EXPECT_TRUE(cue().isEmpty());
}

TEST_F(AutoRecoverTest, OffStillWritesButDoesNotRestore) {
    setAutosave("NO");
    addByDoubleClick({"a.mp3", "b.mp3"});
    EXPECT_EQ(BackupRows(), QStringList({"1|a.mp3|/m/", "1|b.mp3|/m/"}));
    restart();
    EXPECT_TRUE(cue().isEmpty());
    EXPECT_FALSE(f->mnuAutorecover->isChecked());

    // Switching it on through the menu takes effect at the next start.
    f->mnuAutorecover->trigger();
    EXPECT_EQ(app.scalar("SELECT autosave FROM settings"), "YES");
    restart();
    EXPECT_EQ(cue(), QStringList({"a.mp3", "b.mp3"}));
    f->mnuAutorecover->trigger();
    EXPECT_EQ(app.scalar("SELECT autosave FROM settings"), "NO");
}

TEST_F(AutoRecoverTest, AFailedWriteOrAMissingMainWindowLeavesTheOldFile) {
    fill(f->lstPlaylist, {"kept.mp3"});
    Module1::SaveAutoRecover();
    const QByteArray old = backup();
    QStringList many;
    for (int i = 0; i < 2000; ++i) many << QString("song %1 with a long enough name.mp3").arg(i);
    fill(f->lstPlaylist, many);
    {
        FileSizeLimit diskFull(1024);
        Module1::SaveAutoRecover();
    }
    EXPECT_EQ(backup(), old);
    EXPECT_TRUE(app.ui.messages.isEmpty()) << "never reported";
    // Without the main window there is no cue to write.
    UnloadAllWindows();
    Module1::SaveAutoRecover();
    EXPECT_EQ(backup(), old);
}

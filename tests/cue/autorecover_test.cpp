#include "support/CueFixture.h"

#include "support/FileSizeLimit.h"

namespace {
const QStringList Five{"one.mp3", "two.mp3", "x, y.wav", "o'neil.mp3", "five.mp3"};
}

TEST_F(CueTest, WrittenAlwaysRestoredOnlyWhenOn) {
    app.exec("UPDATE settings SET autosave='NO'");
    fill(f->lstresults, Five);
    select(f->lstresults, {1, 2, 3, 4, 5});
    app.ui.popupChoices = {"Add Selected"};
    f->lstresults_MouseDown(2, 0, 0, 0);
    EXPECT_EQ(BackupRows(), CueRows());
    restart();
    EXPECT_TRUE(cue().isEmpty());
    EXPECT_FALSE(f->mnuAutorecover->isChecked());

    // Switching it on through the menu takes effect at the next start.
    f->mnuAutorecover->trigger();
    EXPECT_EQ(app.scalar("SELECT autosave FROM settings"), "YES");
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
    f->mnuAutorecover->trigger();
    EXPECT_EQ(app.scalar("SELECT autosave FROM settings"), "NO");
}

TEST_F(CueTest, AFailedWriteOrAMissingMainWindowLeavesTheOldFile) {
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

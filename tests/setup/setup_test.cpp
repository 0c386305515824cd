#include <gtest/gtest.h>

#include "app/Module1.h"
#include "support/SetupFolders.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"

using Seams::Answer;

namespace {

struct Setup : ::testing::Test {
    TempApp app;

    static frmSetup& w() { return Windows::Load<frmSetup>(); }
    static QStringList listed() {
        QStringList out;
        for (int i = 1; i <= w().lstPaths->Count(); ++i)
            out << w().lstPaths->SubItem(i, 1) + "=" + w().lstPaths->SubItem(i, 2);
        return out;
    }
};

}  // namespace

// Each folder once with its song count; the tag option from the settings row,
// written back at once; the tag tick is on again at every load. Removing a
// folder asks first.
TEST_F(Setup, LoadShowsFoldersAndOptionsAndRemovingAFolderAsksFirst) {
    app.addSong("a.mp3", "/m/one/");
    app.addSong("b.mp3", "/m/one/");
    app.addSong("c.mp3", "/m/it's/");
    app.exec("UPDATE settings SET ext1='YES'");
    EXPECT_TRUE(w().Check1->isChecked() && w().Check2->isChecked());
    EXPECT_EQ(w().lblupdate->text(), "Updating ID3 Tag informtation will take a few extra seconds");
    EXPECT_EQ(listed(), QStringList({"/m/it's/=1", "/m/one/=2"}));
    w().Check1->setChecked(false);
    EXPECT_EQ(w().lblupdate->text(), "");
    w().Check2->setChecked(false);
    EXPECT_EQ(app.scalar("SELECT ext1 FROM settings"), "NO");
    w().Command3_Click();
    Windows::flushDeleted();
    EXPECT_TRUE(w().Check1->isChecked());
    app.ui.answers = {Answer::No, Answer::Yes};
    w().cmdRemove_Click();
    EXPECT_EQ(listed().size(), 2);
    w().cmdRemove_Click();
    EXPECT_EQ(listed(), QStringList({"/m/one/=2"}));
    EXPECT_EQ(
        Said(app.ui),
        QStringList(2, "Remove Song Path|2|Remove all songs from database associated with path:/m/it's/'"));
}

// A folder is scanned once (music files only, any case of extension), refused
// the second time, and a cancelled browser changes nothing; the root keeps its one /.
TEST_F(Setup, AddPathScansOnceRefusesTwiceAndStopsOnCancel) {
    const QString rock = MusicFolder(app.path(), "Rock 'n' Roll", {"1.mp3", "2.MP3", "notes.txt"});
    app.addSong("x.mp3", "/");
    app.ui.folders = {rock.chopped(1), rock.chopped(1), "", "/"};
    w().cmdAdd_Click();
    EXPECT_EQ(listed(), QStringList({"/=1", rock + "=2"}));
    EXPECT_TRUE(w().lblupdate->text().startsWith("Update Complete at: "));
    w().cmdAdd_Click();
    w().lblupdate->clear();
    w().cmdAdd_Click();
    EXPECT_EQ(w().lblupdate->text(), "");
    w().cmdAdd_Click();
    EXPECT_EQ(Said(app.ui),
              QStringList({"Path Already Exists|0|Path:" + rock + " already exists in the database",
                           "Path Already Exists|0|Path:/ already exists in the database"}));
    EXPECT_EQ(app.ui.browseTitles, QStringList(4, "Add Song Path"));
}

// Updating one folder or all of them drops the folders gone from disk, and says so once.
TEST_F(Setup, UpdatesReportVanishedFoldersOnce) {
    w().cmdUpdate_Click();
    w().cmdUpdateAll_Click();
    const QString kept = MusicFolder(app.path(), "Kept", {"k.mp3", "new.wav"});
    for (const QString& f : {kept, QString("/gone/one/"), QString("/gone/two/")}) app.addSong("s.mp3", f);
    w().FillList();
    ASSERT_EQ(w().lstPaths->SubItem(w().lstPaths->SelectedItem(), 1), "/gone/one/");
    w().cmdUpdate_Click();
    EXPECT_EQ(listed(), QStringList({"/gone/two/=1", kept + "=1"}));
    app.addSong("c.mp3", "/gone/three/");
    w().FillList();
    w().cmdUpdateAll_Click();
    EXPECT_EQ(listed(), QStringList({kept + "=2"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);
    EXPECT_EQ(
        Said(app.ui),
        QStringList({"Velumix|1|No paths to update.", "Update All Paths|0|No paths to update",
                     "Velumix|0|Directory was deleted/moved or renamed and has been removed from Velumix",
                     "Velumix|0|Some directories have been deleted/moved or renamed and have been removed "
                     "from Velumix"}));
}

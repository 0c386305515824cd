// The setup window's folder list reads as the shared fixture's rows:
// "1|folder|song count".
#include "support/CueFixture.h"
#include "support/SetupFolders.h"
#include "windows/frmSetup.h"

struct Setup : ::testing::Test {
    TempApp app;
    static frmSetup& w() { return Windows::Load<frmSetup>(); }
};

// Each folder once with its song count; the tag option from the settings row,
// written back at once; the tag tick is on again at every load. Removing a
// folder asks first.
TEST_F(Setup, LoadShowsFoldersAndOptionsAndRemovingAFolderAsksFirst) {
    for (const char* folder : {"/m/one/", "/m/one/", "/m/it's/"}) app.addSong("s.mp3", folder);
    app.exec("UPDATE settings SET ext1='YES'");
    EXPECT_TRUE(w().Check1->isChecked() && w().Check2->isChecked());
    EXPECT_EQ(w().lblupdate->text(), "Updating ID3 Tag informtation will take a few extra seconds");
    EXPECT_EQ(RowsOf(w().lstPaths), QStringList({"1|/m/it's/|1", "1|/m/one/|2"}));
    w().Check1->setChecked(false);
    EXPECT_EQ(w().lblupdate->text(), "");
    w().Check2->setChecked(false);
    w().Command3_Click();
    Windows::flushDeleted();
    EXPECT_TRUE(w().Check1->isChecked() && !w().Check2->isChecked());
    app.ui.answers = {Seams::Answer::No, Seams::Answer::Yes};
    for (int i = 0; i < 2; ++i) w().cmdRemove_Click();
    EXPECT_EQ(RowsOf(w().lstPaths), QStringList({"1|/m/one/|2"}));
    EXPECT_EQ(
        Said(app.ui),
        QStringList(2, "Remove Song Path|2|Remove all songs from database associated with path:/m/it's/'"));
}

// With no folders, updating says so. A folder is added (and scanned) once and
// refused the second time (the root keeps its one /); a cancelled browser
// changes nothing. Updating the selected folder or all of them rescans them,
// drops those gone from disk and says so once.
TEST_F(Setup, AddAndUpdateSayWhatTheyRefuseOrDrop) {
    app.ui.answers = {Seams::Answer::Cancel};  // the first message offers OK and Cancel, to the same end
    w().cmdUpdate_Click();
    w().cmdUpdateAll_Click();
    for (const char* gone : {"/", "/gone/one/", "/gone/two/", "/gone/three/"}) app.addSong("s.mp3", gone);
    const QString rock = MusicFolder(app.path(), "Rock 'n' Roll", {"1.mp3"});
    app.ui.folders = {rock.chopped(1), rock, "", "/"};
    w().cmdAdd_Click();
    EXPECT_TRUE(w().lblupdate->text().startsWith("Update Complete at: "));
    w().cmdAdd_Click();
    w().lblupdate->clear();
    w().cmdAdd_Click();
    EXPECT_EQ(w().lblupdate->text(), "");
    w().cmdAdd_Click();
    app.exec("DELETE FROM songs WHERE path='/'");  // no rescan of the whole disk
    w().FillList();
    w().cmdUpdate_Click();
    EXPECT_EQ(RowsOf(w().lstPaths), QStringList({"1|/gone/three/|1", "1|/gone/two/|1", "1|" + rock + "|1"}));
    MusicFolder(app.path(), "Rock 'n' Roll", {"2.mp3"});
    w().cmdUpdateAll_Click();
    EXPECT_EQ(RowsOf(w().lstPaths), QStringList({"1|" + rock + "|2"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);
    EXPECT_EQ(
        Said(app.ui),
        QStringList({"Velumix|1|No paths to update.", "Update All Paths|0|No paths to update",
                     "Path Already Exists|0|Path:" + rock + " already exists in the database",
                     "Path Already Exists|0|Path:/ already exists in the database",
                     "Velumix|0|Directory was deleted/moved or renamed and has been removed from Velumix",
                     "Velumix|0|Some directories have been deleted/moved or renamed and have been removed "
                     "from Velumix"}));
}

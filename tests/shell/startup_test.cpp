#include <QFile>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/form1.h"
#include "library/ListFile.h"
#include "support/SetupFolders.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"

using Seams::Answer;

// Each row: the settings row as found and what start-up makes of it. The songs
// lie in folders that exist, one of them holding a file the library lacks, so
// a rescan of every folder shows; its name has touching quotes, which quoting
// doubles each once. Then the sign for a missing sound device.
TEST(Startup, ReadsTheSettingsRowExactlyAndOpensReadyToPlay) {
    const struct {
        const char* settings;
        bool checked, firstRun, rescanned;
        const char* ext2After;
    } rows[] = {
        {"autosave='YES', ext2='1', ext1='YES'", true, false, true, "1"},
        {"autosave='yes', ext2='0', ext1='yes'", false, true, false, "1"},
        {"autosave=NULL, ext2='x', ext1=NULL", false, true, false, "1"},
        {"autosave='NO', ext2=NULL, ext1='Yes'", false, false, false, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.settings);
        TempApp app;
        for (const char* f : {"a", "b", "b", "a''b 'c'"})
            app.addSong("s.mp3", MusicFolder(app.path(), f, {"s.mp3"}));
        MusicFolder(app.path(), "a''b 'c'", {"new.mp3"});
        app.exec(QString("UPDATE settings SET ") + r.settings);
        ASSERT_EQ(Module1::Main(), 0);
        form1& f = Windows::Load<form1>();
        EXPECT_EQ(f.mnuAutorecover->isChecked(), r.checked);
        EXPECT_EQ(Module1::FirstRun, r.firstRun ? 1 : 0);
        EXPECT_EQ(app.scalar("SELECT ifnull(ext2, '') FROM settings"), r.ext2After);
        EXPECT_EQ(app.scalar("SELECT count(*) FROM songs WHERE artist='new.mp3'"), r.rescanned ? "1" : "0");
        EXPECT_TRUE(app.ui.messages.isEmpty());
        EXPECT_TRUE(f.Timer1->isActive() && f.Timer2->isActive());
        // The rescan leaves nothing open behind it.
        EXPECT_EQ(Module1::StartupRescan, 0);
        EXPECT_FALSE(Module1::rsLibrary.IsOpen() || Module1::rsPaths.IsOpen());
        // The sign shows only while the decks have no sound device.
        for (bool device : {false, true}) {
            FakeDeckPlayer::deckNo(1)->soundDevice = device;
            f.Timer1_Timer();
            EXPECT_EQ(f.lblNoSound->isVisible(), !device);
        }
        // Above the controls and right of the menus, it hides no caption.
        const QRect sign = f.lblNoSound->geometry(),
                    help = f.menuBar->actionGeometry(f.mnu_help->menuAction());
        EXPECT_TRUE(sign.bottom() < f.client->y() && sign.left() > f.menuBar->mapTo(&f, help.topRight()).x());
    }
}

// Start-up from an empty or unusable library: the messages exactly (of a failure's
// one critical message, the engine's reason), whether it goes on, and that a
// failure leaves nothing behind. The library is spoilt by a statement from
// another connection or by new contents of its file (nullptr: removed).
TEST(Startup, EmptyOrUnusableLibrary) {
    const QString offer =
        "Add Music File Directory|2|Velumix does not currently have any MP3/Music file Folders setup. "
        "Velumix must know where your MP3 files are in order to function. Do you want to add a directory "
        "now ?";
    const QString later =
        "Velumix Setup|0|You must do this to allow Velumix to build its database. You can do this at "
        "anytime by clicking Tools and then Setup.";
    const QByteArray unchanged = "unchanged";
    const struct {
        const char* name;
        const char* sql;
        QByteArray file;
        Answer answer;
        QStringList said;
    } cases[] = {
        {"empty, adding declined", "", unchanged, Answer::No, {offer, later}},
        {"empty, adding accepted", "", unchanged, Answer::Yes, {offer}},
        // No settings row: the defaults stay and the library check still runs.
        {"no settings row", "DELETE FROM settings", unchanged, Answer::No, {offer, later}},
        {"missing", "", QByteArray(), {}, {"Could not find file"}},
        {"not a database", "", QByteArray(4096, 'x'), {}, {"file is not a database"}},
        {"no tables", "", "", {}, {"no such table: settings"}},
        {"no songs table", "DROP TABLE songs", unchanged, {}, {"no such table: songs"}},
        {"locked by another program", "BEGIN EXCLUSIVE", unchanged, {}, {"locked"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempApp app;
        app.ui.answers = {c.answer, Answer::OK};
        app.ui.folders = {MusicFolder(app.path(), "music", {"first.mp3"}).chopped(1)};
        Connection other;
        other.ConnectionString = Module1::cnLibrary.ConnectionString;
        other.Open();
        if (*c.sql) other.Execute(c.sql);
        if (c.file.isNull()) QFile::remove(app.libraryFile());
        if (!c.file.isNull() && c.file != unchanged) ListFile::WriteAtomically(app.libraryFile(), c.file);
        Module1::cnLibrary.BusyTimeoutMs = 0;
        const bool existed = QFile::exists(app.libraryFile()), goesOn = c.said[0] == offer;
        EXPECT_EQ(Module1::Main() == 0, goesOn);
        const QStringList said = Said(app.ui);
        if (goesOn) {
            EXPECT_EQ(said, c.said);
            EXPECT_TRUE(Windows::Load<form1>().isVisible());
            // Yes: the setup window saw the flag at its load and added the folder there and
            // then, and shows beside the main window.
            EXPECT_EQ(Windows::IsLoaded<frmSetup>() && Windows::Load<frmSetup>().isVisible(),
                      c.answer == Answer::Yes);
            EXPECT_EQ(app.scalar("SELECT count(*) FROM songs"), c.answer == Answer::Yes ? "1" : "0");
            continue;
        }
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said[0].contains(c.said[0])) << said[0].toStdString();
        EXPECT_EQ(app.ui.messages[0].icon, Seams::Icon::Critical);
        EXPECT_EQ(Windows::loadedCount(), 0);
        EXPECT_EQ(QFile::exists(app.libraryFile()), existed);
    }
}

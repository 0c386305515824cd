#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/SetupFolders.h"
#include "support/TempApp.h"
#include "windows/formlist.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

using Seams::Answer;

namespace {
form1& mainWindow() {
    if (!Windows::Find<form1>()) throw std::runtime_error("form1 is not loaded");
    return *Windows::Find<form1>();
}
QVariant orNull(const char* s) {
    return s ? QVariant(s) : QVariant(QMetaType::fromType<QString>());
}
}  // namespace

TEST(Library, QuotingDoublesEveryQuoteOnceAndKeepsNull) {
    using Module1::SqlQuote;
    EXPECT_TRUE(SqlQuote(QVariant()).isNull());
    EXPECT_FALSE(SqlQuote("").isNull());
    // Inserted quotes are never searched again, however they touch the next one.
    EXPECT_EQ(SqlQuote("O''Brien 'n'").toString(), "O''''Brien ''n''");
}

// Each row: the settings row as found (nullptr = Null) and what start-up makes of it.
TEST(Startup, ReadsTheSettingsRowExactly) {
    const struct {
        const char *autosave, *ext2;
        bool checked, firstRun;
        const char* ext2After;
    } rows[] = {
        {"YES", "1", true, false, "1"},    {"yes", "0", false, true, "1"},  {nullptr, "x", false, true, "1"},
        {"NO", nullptr, false, false, ""}, {"Yes", "1", false, false, "1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.autosave ? r.autosave : "Null") + "/" + (r.ext2 ? r.ext2 : "Null"));
        TempApp app;
        app.addSong("a.mp3", "/m/");
        QSqlQuery q(Module1::cnLibrary.database());
        q.prepare("UPDATE settings SET autosave=?, ext2=?");
        q.addBindValue(orNull(r.autosave));
        q.addBindValue(orNull(r.ext2));
        ASSERT_TRUE(q.exec());
        ASSERT_EQ(Module1::Main(), 0);
        EXPECT_EQ(mainWindow().mnuAutorecover->isChecked(), r.checked);
        EXPECT_EQ(Module1::FirstRun, r.firstRun ? 1 : 0);
        EXPECT_EQ(app.scalar("SELECT ifnull(ext2, '') FROM settings"), r.ext2After);
    }
    // No settings row: the defaults stay, the library check still runs, no row is made.
    TempApp app;
    app.exec("UPDATE settings SET autosave='YES', ext1='YES', ext2='0'");
    app.exec("DELETE FROM settings");
    app.ui.answers = {Answer::No, Answer::OK};
    ASSERT_EQ(Module1::Main(), 0);
    EXPECT_FALSE(mainWindow().mnuAutorecover->isChecked());
    EXPECT_EQ(Module1::FirstRun, 0);
    EXPECT_EQ(app.ui.messages.size(), 2);
    EXPECT_EQ(app.scalar("SELECT count(*) FROM settings"), "0");
}

TEST(Startup, ALibraryWithSongsOpensReadyToPlayAndClosesAllButTheTour) {
    TempApp app;
    // Songs in folders that exist, one of them holding a file the library lacks.
    for (const char* f : {"a", "b", "b", "it's"}) app.addSong("s.mp3", MusicFolder(app.path(), f, {"s.mp3"}));
    MusicFolder(app.path(), "it's", {"new.mp3"});
    app.exec("UPDATE settings SET ext1='YES'");
    ASSERT_EQ(Module1::Main(), 0);
    form1& f = mainWindow();
    EXPECT_TRUE(app.ui.messages.isEmpty());
    EXPECT_EQ((QList<int>{Module1::CurrentDeck, f.MP1->Volume(), f.MP2->Volume(), f.Fader->value()}),
              (QList<int>{1, 0, -3000, 0}));
    EXPECT_FALSE(f.chkAutoFade->isChecked());
    EXPECT_TRUE(f.Timer1->isActive() && f.Timer2->isActive());
    EXPECT_FALSE(f.T1->isActive() || f.T2->isActive());
    // Every folder was rescanned, and the rescan leaves nothing open behind it.
    EXPECT_EQ(app.scalar("SELECT count(*) FROM songs WHERE artist='new.mp3'"), "1");
    EXPECT_EQ(Module1::StartupRescan, 0);
    EXPECT_FALSE(Windows::IsLoaded<frmSetup>());
    EXPECT_FALSE(Module1::rsLibrary.IsOpen() || Module1::rsPaths.IsOpen());
    // The sign shows only while the decks have no sound device.
    for (bool device : {false, true}) {
        FakeDeckPlayer::deckNo(1)->soundDevice = device;
        f.Timer1_Timer();
        EXPECT_EQ(f.lblNoSound->isVisible(), !device);
    }

    // Closing the main window unloads every window but the tour; the process lives on with it.
    Windows::Load<frmAbout>();
    Windows::Load<formlist>();
    Windows::Load<frmSetup>();
    Windows::Load<id3search>();
    Windows::Load<multilist>();
    Windows::Show<wizard>();
    static int lastUnloaded;
    lastUnloaded = 0;
    Windows::setOnLastUnloaded([] { ++lastUnloaded; });
    EXPECT_TRUE(f.close());
    EXPECT_EQ(Windows::loadedCount(), 1);
    EXPECT_TRUE(Windows::IsLoaded<wizard>());
    EXPECT_EQ(lastUnloaded, 0);
    EXPECT_TRUE(Windows::Find<wizard>()->close());
    EXPECT_EQ(lastUnloaded, 1);
}

// Start-up from an empty or unusable library: the messages exactly (of a failure's
// one critical message, the engine's reason), whether it goes on, and that a
// failure leaves nothing behind.
TEST(Startup, EmptyOrUnusableLibrary) {
    const QString offer =
        "Add Music File Directory|2|Velumix does not currently have any MP3/Music file Folders setup. "
        "Velumix must know where your MP3 files are in order to function. Do you want to add a directory now "
        "?";
    const QString later =
        "Velumix Setup|0|You must do this to allow Velumix to build its database. You can do this at anytime "
        "by "
        "clicking Tools and then Setup.";
    const auto keep = [](const QString&, Connection&) {};
    const struct {
        const char* name;
        void (*spoil)(const QString& file, Connection& other);
        Answer answer;
        QStringList said;
    } cases[] = {
        {"empty, adding declined", keep, Answer::No, {offer, later}},
        {"empty, adding accepted", keep, Answer::Yes, {offer}},
        {"missing", [](const QString& f, Connection&) { QFile::remove(f); }, {}, {"Could not find file"}},
        {"not a database",
         [](const QString& f, Connection&) {
             QFile file(f);
             file.open(QIODevice::WriteOnly);
             file.write(QByteArray(4096, 'x'));
         },
         {},
         {"file is not a database"}},
        {"no tables",
         [](const QString& f, Connection&) { QFile(f).resize(0); },
         {},
         {"no such table: settings"}},
        {"no songs table",
         [](const QString&, Connection& o) { o.Execute("DROP TABLE songs"); },
         {},
         {"no such table: songs"}},
        {"locked by another program",
         [](const QString&, Connection& o) { o.Execute("BEGIN EXCLUSIVE"); },
         {},
         {"locked"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempApp app;
        app.ui.answers = {c.answer, Answer::OK};
        app.ui.folders = {MusicFolder(app.path(), "music", {"first.mp3"}).chopped(1)};
        Connection other;
        other.ConnectionString = Module1::cnLibrary.ConnectionString;
        other.Open();
        c.spoil(app.libraryFile(), other);
        Module1::cnLibrary.BusyTimeoutMs = 0;
        const bool existed = QFile::exists(app.libraryFile()), goesOn = c.said[0] == offer;
        EXPECT_EQ(Module1::Main() == 0, goesOn);
        const QStringList said = Said(app.ui);
        if (goesOn) {
            EXPECT_EQ(said, c.said);
            EXPECT_TRUE(mainWindow().isVisible());
            // Yes: the setup window saw the flag at its load and added the folder there and then.
            EXPECT_EQ(Windows::IsLoaded<frmSetup>(), c.answer == Answer::Yes);
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

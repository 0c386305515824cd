#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/TempApp.h"
#include "windows/formlist.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

using Seams::Answer;
using Seams::Buttons;

namespace {

const char* const kAskText =
    "Velumix does not currently have any MP3/Music file Folders setup. Velumix must know where your "
    "MP3 files are in order to function. Do you want to add a directory now ?";
const char* const kLaterText =
    "You must do this to allow Velumix to build its database. You can do this at anytime by clicking "
    "Tools and then Setup.";

form1& mainWindow() {
    form1* f = Windows::Find<form1>();
    if (!f) throw std::runtime_error("form1 is not loaded");
    return *f;
}

}  // namespace

TEST(Library, ConnectionStringNamesTheFileInTheAppFolder) {
    EXPECT_EQ(Module1::LibraryConnectionString("/opt/Velumix"),
              "Provider=SQLite;Data Source=/opt/Velumix/songs.mdb;User Id=admin;Password=");
}

TEST(Library, QuotingDoublesEveryApostropheOnce) {
    using Module1::ReplaceText;
    using Module1::SqlQuote;
    EXPECT_TRUE(SqlQuote(QVariant()).isNull());
    EXPECT_TRUE(ReplaceText(QVariant(), "'", "''", 0).isNull());
    const struct {
        QString in, out;
    } quotes[] = {
        {"", ""},    {"Rock 'n' Roll", "Rock ''n'' Roll"}, {"O''Brien", "O''''Brien"},
        {"'", "''"}, {"/music/it's/", "/music/it''s/"},
    };
    for (const auto& q : quotes) {
        const QVariant v = SqlQuote(q.in);
        EXPECT_FALSE(v.isNull()) << q.in.toStdString();
        EXPECT_EQ(v.toString(), q.out) << q.in.toStdString();
    }
    // Text put in is never searched again, however it overlaps the search.
    EXPECT_EQ(ReplaceText("aaa", "a", "aa", 0).toString(), "aaaaaa");
    EXPECT_EQ(ReplaceText("abab", "ab", "b", 0).toString(), "bb");
    EXPECT_EQ(ReplaceText("Xx", "x", "y", 0).toString(), "Xy");
    EXPECT_EQ(ReplaceText("Xx", "x", "y", 1).toString(), "yy");
}

// Each row: the settings row as found, what start-up makes of it.
TEST(Startup, ReadsTheSettingsRowExactly) {
    const struct {
        const char* autosave;  // nullptr: Null
        const char* ext2;
        bool checked;
        bool firstRun;
        const char* ext2After;  // "" for Null
    } rows[] = {
        {"YES", "1", true, false, "1"},    {"yes", "0", false, true, "1"},  {nullptr, "x", false, true, "1"},
        {"NO", nullptr, false, false, ""}, {"Yes", "1", false, false, "1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.autosave ? r.autosave : "NULL") + "/" + (r.ext2 ? r.ext2 : "NULL"));
        TempApp app;
        app.addSong("a.mp3", "/m/");
        QSqlQuery q(Module1::cnLibrary.database());
        q.prepare("UPDATE settings SET autosave=?, ext2=?");
        q.addBindValue(r.autosave ? QVariant(r.autosave) : QVariant(QMetaType::fromType<QString>()));
        q.addBindValue(r.ext2 ? QVariant(r.ext2) : QVariant(QMetaType::fromType<QString>()));
        ASSERT_TRUE(q.exec());
        ASSERT_EQ(Module1::Main(), 0);
        EXPECT_EQ(mainWindow().mnuAutorecover->isChecked(), r.checked);
        EXPECT_EQ(Module1::FirstRun, r.firstRun ? 1 : 0);
        EXPECT_EQ(app.scalar("SELECT ifnull(ext2, '') FROM settings"), r.ext2After);
        EXPECT_TRUE(app.ui.messages.isEmpty());
    }
}

TEST(Startup, EmptySettingsTableKeepsTheDefaults) {
    for (bool withSongs : {true, false}) {
        TempApp app;
        if (withSongs) app.addSong("a.mp3", "/m/");
        app.exec("UPDATE settings SET autosave='YES', ext1='YES'");
        app.exec("DELETE FROM settings");
        app.ui.answers = {Answer::No, Answer::OK};
        ASSERT_EQ(Module1::Main(), 0);
        EXPECT_FALSE(mainWindow().mnuAutorecover->isChecked());
        EXPECT_EQ(Module1::FirstRun, 0);
        EXPECT_EQ(app.scalar("SELECT count(*) FROM settings"), "0");  // never inserted
        // The library check still runs.
        EXPECT_EQ(app.ui.messages.size(), withSongs ? 0 : 2);
    }
}

TEST(Startup, ALibraryWithSongsOpensReadyToPlay) {
    TempApp app;
    app.addSong("a.mp3", "/m/");
    app.exec("UPDATE settings SET ext2='1'");
    ASSERT_EQ(Module1::Main(), 0);
    form1& f = mainWindow();
    EXPECT_TRUE(app.ui.messages.isEmpty());
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(Windows::IsLoaded<frmSetup>());
    EXPECT_EQ(Module1::CurrentDeck, 1);
    EXPECT_EQ(f.MP1->Volume(), 0);
    EXPECT_EQ(f.MP2->Volume(), -3000);
    EXPECT_EQ(f.Fader->value(), 0);
    EXPECT_FALSE(f.chkAutoFade->isChecked());
    EXPECT_TRUE(f.Timer1->isActive() && f.Timer2->isActive());
    EXPECT_FALSE(f.T1->isActive() || f.T2->isActive());
    EXPECT_FALSE(Module1::rsLibrary.IsOpen() || Module1::rsPaths.IsOpen());
    EXPECT_EQ(Module1::StrSQL, "SELECT * FROM songs");
}

TEST(Startup, RescanOfEveryFolderLeavesNoSetupWindow) {
    TempApp app;
    // Folders that exist, so the rescan keeps them (a vanished one would leave).
    for (const char* f : {"a", "b", "b", "it's"}) {
        const QString folder = app.path() + "/" + f + "/";
        QDir().mkpath(folder);
        QFile song(folder + "s.mp3");
        ASSERT_TRUE(song.open(QIODevice::WriteOnly));
        app.addSong("s.mp3", folder);
    }
    app.exec("UPDATE settings SET ext1='YES', ext2='1'");
    ASSERT_EQ(Module1::Main(), 0);
    EXPECT_EQ(Module1::StartupRescan, 0);
    EXPECT_FALSE(Windows::IsLoaded<frmSetup>());
    EXPECT_FALSE(Module1::rsPaths.IsOpen());
    EXPECT_TRUE(mainWindow().isVisible());
}

TEST(Startup, EmptyLibraryOffersToAddAFolder) {
    {
        TempApp app;
        app.ui.answers = {Answer::No, Answer::OK};
        ASSERT_EQ(Module1::Main(), 0);
        ASSERT_EQ(app.ui.messages.size(), 2);
        const Seams::Message& ask = app.ui.messages[0];
        EXPECT_EQ(ask.text, kAskText);
        EXPECT_EQ(ask.title, "Add Music File Directory");
        EXPECT_EQ(ask.buttons, Buttons::YesNo);
        const Seams::Message& later = app.ui.messages[1];
        EXPECT_EQ(later.text, kLaterText);
        EXPECT_EQ(later.title, "Velumix Setup");
        EXPECT_EQ(later.buttons, Buttons::OK);
        EXPECT_FALSE(Windows::IsLoaded<frmSetup>());
        EXPECT_TRUE(mainWindow().isVisible());
    }
    {
        TempApp app;
        app.ui.answers = {Answer::Yes};
        ASSERT_EQ(Module1::Main(), 0);
        ASSERT_GE(app.ui.messages.size(), 1);
        EXPECT_EQ(app.ui.messages[0].text, kAskText);
        ASSERT_TRUE(Windows::IsLoaded<frmSetup>());
        EXPECT_TRUE(Windows::Find<frmSetup>()->isVisible());
        EXPECT_TRUE(mainWindow().isVisible());
        EXPECT_EQ(Module1::OpenSetupAfterStart, 0);
    }
}

// Start-up without a usable library ends with the engine's reason and leaves nothing behind.
TEST(Startup, UnusableLibraryEndsStartupWithTheReason) {
    const struct {
        const char* name;
        void (*spoil)(TempApp&);
        const char* reason;
    } cases[] = {
        {"missing", [](TempApp& a) { QFile::remove(a.libraryFile()); }, "Could not find file"},
        {"not a database",
         [](TempApp& a) {
             QFile f(a.libraryFile());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(4096, 'x'));
         },
         "file is not a database"},
        {"no tables",
         [](TempApp& a) {
             QFile::remove(a.libraryFile());
             QFile f(a.libraryFile());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));  // an empty file is an empty database
         },
         "no such table: settings"},
        {"no songs table", [](TempApp& a) { a.exec("DROP TABLE songs"); }, "no such table: songs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempApp app;
        c.spoil(app);
        Module1::cnLibrary.Close();
        const bool existed = QFile::exists(app.libraryFile());
        EXPECT_NE(Module1::Main(), 0);
        ASSERT_EQ(app.ui.messages.size(), 1);
        EXPECT_TRUE(app.ui.messages[0].text.contains(c.reason)) << app.ui.messages[0].text.toStdString();
        EXPECT_EQ(app.ui.messages[0].icon, Seams::Icon::Critical);
        EXPECT_EQ(app.ui.messages[0].title, "Velumix");
        EXPECT_EQ(Windows::loadedCount(), 0);
        EXPECT_FALSE(Module1::cnLibrary.IsOpen());
        EXPECT_EQ(QFile::exists(app.libraryFile()), existed);
    }
}

TEST(Startup, LockedLibraryEndsStartupWithTheReason) {
    TempApp app;
    Module1::cnLibrary.Close();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "locker");
        other.setDatabaseName(app.libraryFile());
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
        Module1::cnLibrary.BusyTimeoutMs = 0;
        EXPECT_NE(Module1::Main(), 0);
        ASSERT_EQ(app.ui.messages.size(), 1);
        EXPECT_TRUE(app.ui.messages[0].text.contains("locked")) << app.ui.messages[0].text.toStdString();
        EXPECT_EQ(Windows::loadedCount(), 0);
        lock.exec("ROLLBACK");
        lock = QSqlQuery();
        other.close();
    }
    QSqlDatabase::removeDatabase("locker");
}

namespace {
int g_lastUnloaded = 0;
}

TEST(Shutdown, ClosingTheMainWindowUnloadsAllButTheTour) {
    TempApp app;
    app.addSong("a.mp3", "/m/");
    ASSERT_EQ(Module1::Main(), 0);
    Windows::Load<frmAbout>();
    Windows::Load<formlist>();
    Windows::Load<frmSetup>();
    Windows::Load<id3search>();
    Windows::Load<multilist>();
    Windows::Show<wizard>();
    g_lastUnloaded = 0;
    Windows::setOnLastUnloaded([] { ++g_lastUnloaded; });

    EXPECT_TRUE(mainWindow().close());
    EXPECT_EQ(Windows::loadedCount(), 1);
    EXPECT_TRUE(Windows::IsLoaded<wizard>());
    EXPECT_EQ(g_lastUnloaded, 0);  // the process lives on while the tour is open

    EXPECT_TRUE(Windows::Find<wizard>()->close());
    EXPECT_EQ(Windows::loadedCount(), 0);
    EXPECT_EQ(g_lastUnloaded, 1);
}

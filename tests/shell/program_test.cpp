// The program as a whole: where it keeps its library, how it starts from the
// library it finds, where its dialogs start, and how it ends when told to from
// outside or killed (run as a child process).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

#include "app/CommonDialog.h"
#include "app/Module1.h"
#include "app/Options.h"
#include "app/PlayHistory.h"
#include "app/StartOptions.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/AppFolder.h"
#include "library/ListFile.h"
#include "library/Schema.h"
#include "support/SetupFolders.h"
#include "support/TempApp.h"
#include "support/WavWriter.h"
#include "windows/frmSetup.h"

// Installed (bin beside share/velumix) it keeps its library in the user's data
// folder, made at the first start and never written over; with a library beside
// it, it runs portable. Characters that mean something in a connection string
// are only a folder's name.
TEST(AppFolder, PortableBesideItsLibraryInstalledInTheUsersDataFolder) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/velumix";
    TempApp app(false);
    // One folder name with every character that means something in a connection string.
    const QString odd = app.path() + "/ Mix;Set say \"hi\"; it's a=b", bin = odd + "/bin",
                  share = odd + "/share/velumix";
    QDir().mkpath(bin);
    EXPECT_EQ(AppFolder::DataFolder(bin), bin);  // its missing library stays an error
    QDir().mkpath(share);
    EXPECT_EQ(AppFolder::DataFolder(bin), data);
    QDir(data).removeRecursively();
    ASSERT_TRUE(AppFolder::Prepare(bin, nullptr));
    QFile mine(data + "/songs.mdb");
    ASSERT_TRUE(mine.resize(4) && AppFolder::Prepare(bin, nullptr));
    EXPECT_EQ(mine.size(), 4);
    ASSERT_TRUE(CreateEmptyLibrary(bin + "/songs.mdb"));
    EXPECT_EQ(AppFolder::DataFolder(bin), bin);
    Module1::SetAppPath(bin);
    app.ui.answers = {Seams::Answer::No, Seams::Answer::OK};
    EXPECT_EQ(Module1::Main(), 0);
}

TEST(Dialogs, StartInTheFolderLastUsedForTheirKindOfFile) {
    TempApp app;
    for (const char* kind : {"lists", "songs", "picker"}) Options::SetLastFolder(kind, "");
    CommonDialog lists(nullptr), songs(nullptr);
    lists.Filter = "VLX|*.vlx";
    songs.Filter = "MP3|*.mp3";
    app.ui.files = {{"/a/set.vlx"}, {"/b/x.mp3", "/b/y.mp3"}};
    app.ui.folders = {"/c/music/", ""};
    lists.ShowSave();
    songs.ShowOpen();
    qputenv("XDG_MUSIC_DIR", app.path().toUtf8());  // the newcomer's first picker opens there
    Module1::BrowseFolder(nullptr, "Add Song Path");
    qunsetenv("XDG_MUSIC_DIR");
    lists.ShowOpen();  // cancelled: remembers nothing new
    lists.ShowOpen();
    Module1::BrowseFolder(nullptr, "Add Song Path");
    QStringList starts;
    for (const Seams::FileDialog& d : app.ui.fileDialogs) starts << d.folder;
    EXPECT_EQ(starts, (QStringList{"", "", "/a", "/a"}));
    EXPECT_EQ(app.ui.browseStarts, (QStringList{app.path(), "/c/music"}));
}

// Polls, for up to 30 s, until done() holds.
static bool until(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i, QThread::msleep(10))
        if (done()) return true;
    return false;
}

// Up once it handles SIGTERM itself.
static bool up(const QProcess& process) {
    return until([&] {
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:") && (line.mid(7).trimmed().toULongLong(nullptr, 16) & (1u << 14)))
                return true;
        return false;
    });
}

// A copy of the program in a folder of its own with an empty library, so it
// runs portable there and never touches the build's library; ended by a
// signal, or (0) by its X display going away. It inherits the offscreen
// platform and the dummy sound driver the test program runs under.
TEST(Program, SignalsAndALostDisplayEndItAsExitDoes) {
    for (int sig : {SIGTERM, SIGINT, 0}) {
        SCOPED_TRACE(sig);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        QProcess x;
        if (!sig) {
            env.insert("QT_QPA_PLATFORM", "xcb");
            x.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
            ASSERT_TRUE(x.waitForReadyRead(30000));
            env.insert("DISPLAY", ":" + QString::fromLatin1(x.readLine().trimmed()));
        }
        // Under AddressSanitizer the strict string check flags a legal strndup of
        // an unterminated buffer in the X keyboard library, before our code runs.
        if (env.contains("ASAN_OPTIONS"))
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0");
        QTemporaryDir dir;
        QFile::copy(VELUMIX_PROGRAM, dir.path() + "/velumix");
        CreateEmptyLibrary(dir.path() + "/songs.mdb");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(dir.path() + "/velumix", {});
        ASSERT_TRUE(up(p));
        if (sig) kill(p.processId(), sig);
        x.terminate();
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(p.exitCode() == 0 || !sig) << p.exitCode();  // a lost display may end it with 1
    }
}

// Killed outright (as by a power cut) in the middle of a show whose cue has
// changed since it started: the history holds every song that finished, and
// the next start brings back the cue with the song that was on air at its top.
TEST(Program, AKilledShowComesBackWithItsCueAndTheSongOnAir) {
    TempApp app;
    const QString d = app.path() + "/";
    QFile::copy(VELUMIX_PROGRAM, d + "velumix");
    app.exec("UPDATE settings SET autosave='YES', ext2='1'");
    QStringList songs;
    QByteArray cue;
    for (int i = 0; i < 6; ++i) {
        songs << QString("song%1.wav").arg(i);
        ASSERT_TRUE(WriteSineWav(d + songs.last(), 3, 300 + 50 * i, 0.5, 8000, 1));
        cue += ListFile::Record(d + "*()*" + songs.last());
        app.addSong(songs.last(), d);
    }
    ASSERT_TRUE(ListFile::WriteAtomically(Module1::AutoRecoverFile(), cue));
    QStringList finished, cutOff;  // in the order heard
    const auto heard = [&] {
        finished.clear();
        cutOff.clear();
        const QVector<HistoryEntry> rows = PlayHistory::Last(10);
        for (auto e = rows.rbegin(); e != rows.rend(); ++e) (e->seconds < 0 ? cutOff : finished) << e->name;
        return finished.size() >= 2;
    };
    heard();  // makes the history table now: made while the program plays, it could cost a row
    Options::Set(StartOptions::kPlayOnStart, true);
    QProcess p;
    p.start(d + "velumix", {});
    ASSERT_TRUE(up(p));
    EXPECT_TRUE(until(heard));
    kill(p.processId(), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(30000));
    Options::Set(StartOptions::kPlayOnStart, false);
    heard();
    const int done = int(finished.size());
    ASSERT_GE(done, 2);
    EXPECT_EQ(finished, songs.mid(0, done));
    EXPECT_TRUE(cutOff.isEmpty() || cutOff == QStringList{songs[done]});
    // Killed between the two files' writes, a song may come back twice but is never lost: the last
    // finished one above the rest, or the one going on air listed again.
    const ListView* back = Windows::Load<form1>().lstPlaylist;
    QStringList restored;
    for (int i = 1; i <= back->Count(); ++i) restored << back->SubItem(i, 1);
    EXPECT_TRUE(restored == songs.mid(done) || restored == songs.mid(done - 1) ||
                restored == songs.mid(done, 1) + songs.mid(done));
}

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

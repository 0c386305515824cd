#include <gtest/gtest.h>

#include <QSqlRecord>

#include "ScanFixture.h"
#include "library/Scanner.h"

using Scanner::Outcome;

namespace {
struct Scan : ::testing::Test, ScanFixture {};
}  // namespace

TEST_F(Scan, TakesAudioFilesOfThisFolderOnlyInNameOrder) {
    const QString f = folder("Music");
    for (const char* n :
         {"e.Mp3", "c.txt", "B.MP3", "a.mp3", "d.wma", "track_mp3", "song.mpeg", ".hidden.mp3", "mp3"})
        file(f + n);
    QDir(f).mkdir("sub.mp3");  // a folder with an audio-like name
    file(f + "sub.mp3/inner.mp3");

    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(f), QStringList({"a.mp3", "B.MP3", "d.wma", "e.Mp3", "mp3", "track_mp3"}));
    EXPECT_EQ(app.scalar("SELECT count(*) FROM songs"), "6");
    EXPECT_EQ(Module1::FolderRemoved, 0);
}

TEST_F(Scan, ReadsTagsOnlyFromMp3FilesWhenAsked) {
    const QString f = folder("Tags");
    file(f + "rock.mp3", tagged("Song Title", 17));
    file(f + "odd.mp3", tagged("X", 200));
    file(f + "plain.mp3");
    file(f + "tagged.wav", tagged("Wave", 17));

    ASSERT_EQ(Scanner::ScanFolder(f, true), Outcome::Rebuilt);
    const QString cols = "artist, title, artist2, year, genre";
    const QString title = "Song Title" + QString(20, ' ');  // padding kept
    EXPECT_EQ(rows(f, cols),
              QStringList({
                  "odd.mp3|X" + QString(29, ' ') + "|" + QString(30, ' ') + "|2001|Unknown Genre Entry",
                  "plain.mp3|~|~|~|~",
                  "rock.mp3|" + title + "|" + QString(30, ' ') + "|2001|Rock",
                  "tagged.wav|~|~|~|~",
              }));

    ASSERT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(f, "genre"), QStringList({"~", "~", "~", "~"}));
}

TEST_F(Scan, RescanRebuildsOneFolderAndLeavesOthersAlone) {
    const QString a = folder("A"), b = folder("B it's");
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3"}) file(a + n), file(b + n);
    Scanner::ScanFolder(a, false);
    Scanner::ScanFolder(b, false);
    QFile::remove(a + "2.mp3");

    EXPECT_EQ(Scanner::ScanFolder(a, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(a), QStringList({"1.mp3", "3.mp3"}));
    EXPECT_EQ(rows(b), QStringList({"1.mp3", "2.mp3", "3.mp3"}));
    // The apostrophe is quoted, so rescanning replaces rather than duplicates.
    EXPECT_EQ(Scanner::ScanFolder(b, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(b).size(), 3);
}

TEST_F(Scan, EmptyFolderKeepsItsRowsVanishedFolderLosesThem) {
    const QString empty = folder("Empty"), gone = folder("Gone 'n' away"), other = folder("Other");
    app.addSong("old.mp3", empty);
    app.addSong("x.mp3", gone);
    app.addSong("y.mp3", gone);
    app.addSong("z.mp3", other);
    file(empty + ".only-hidden.mp3");

    EXPECT_EQ(Scanner::ScanFolder(empty, true), Outcome::Empty);
    EXPECT_EQ(rows(empty), QStringList({"old.mp3"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);

    QDir(gone).removeRecursively();
    EXPECT_EQ(Scanner::ScanFolder(gone, true), Outcome::Removed);
    EXPECT_TRUE(rows(gone).isEmpty());
    EXPECT_EQ(rows(other), QStringList({"z.mp3"}));
    EXPECT_EQ(Module1::FolderRemoved, 1);
    EXPECT_EQ(Module1::StrSQL, "Delete from songs where path='" + Module1::SqlQuote(gone).toString() + "'");
}

TEST_F(Scan, FolderIsReplacedAtomically) {
    const QString f = folder("Atomic");
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"}) file(f + n);
    app.addSong("old1.mp3", f);
    app.addSong("old2.mp3", f);
    const QStringList before = rows(f);

    // Another reader (or whatever a crash would leave on disk) sees the old
    // rows while the scan is half way through.
    Connection other;
    other.ConnectionString = Module1::cnLibrary.ConnectionString;
    other.Open();
    QStringList seenMidway;
    auto peek = [&](int done, int) {
        if (done == 2) {
            QSqlQuery q(other.database());
            q.exec("SELECT artist FROM songs ORDER BY id");
            while (q.next()) seenMidway << q.value(0).toString();
        }
        return true;
    };
    ASSERT_EQ(Scanner::ScanFolder(f, false, peek), Outcome::Rebuilt);
    EXPECT_EQ(seenMidway, before);

    // Cancelled half way: the folder is as it was.
    app.exec("DELETE FROM songs");
    app.addSong("old1.mp3", f);
    EXPECT_EQ(Scanner::ScanFolder(f, false, [](int done, int) { return done < 2; }), Outcome::Cancelled);
    EXPECT_EQ(rows(f), QStringList({"old1.mp3"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);

    // A store failing on the third file: nothing half-done remains.
    app.exec(
        "CREATE TRIGGER boom BEFORE INSERT ON songs WHEN NEW.artist='3.mp3' "
        "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Removed);
    EXPECT_TRUE(rows(f).isEmpty());
    EXPECT_EQ(Module1::FolderRemoved, 1);
    EXPECT_FALSE(Module1::rsLibrary.IsOpen());
    // And the connection is out of its transaction: the next scan commits.
    app.exec("DROP TRIGGER boom");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(f).size(), 4);
}

TEST_F(Scan, FileVanishingBeforeItsTagIsReadStillGetsARow) {
    const QString f = folder("Vanish");
    file(f + "a.mp3", tagged("A", 1));
    file(f + "b.mp3", tagged("B", 2));
    auto removeNext = [&](int done, int) {
        if (done == 1) QFile::remove(f + "b.mp3");
        return true;
    };
    ASSERT_EQ(Scanner::ScanFolder(f, true, removeNext), Outcome::Rebuilt);
    EXPECT_EQ(rows(f, "artist, genre"), QStringList({"a.mp3|Classic Rock", "b.mp3|~"}));
}

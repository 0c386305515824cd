#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

#include "app/Module1.h"
#include "app/ScanProgress.h"
#include "library/Scanner.h"
#include "scanner/ScanFixture.h"
#include "windows/frmSetup.h"

using Scanner::Outcome;

namespace {

struct Scan : ::testing::Test, ScanFixture {
    ~Scan() override { ScanProgress::setClock(nullptr); }
    // A folder holding the given files (empty name: default contents).
    QString folder(const QString& name, const QList<std::pair<QString, QByteArray>>& files) const {
        const QString path = ScanFixture::folder(name);
        for (const auto& [f, bytes] : files) bytes.isNull() ? file(path + f) : file(path + f, bytes);
        return path;
    }
};

}  // namespace

TEST_F(Scan, TakesAudioFilesOfThisFolderOnlyInNameOrder) {
    const QString f = folder("It's", {{"e.Mp3", {}},
                                      {"c.txt", {}},
                                      {"B.MP3", {}},
                                      {"a.mp3", {}},
                                      {"d.wma", {}},
                                      {"track_mp3", {}},
                                      {"song.mpeg", {}},
                                      {".hidden.mp3", {}},
                                      {"mp", {}}});
    folder("It's/sub.mp3", {{"inner.mp3", {}}});
    app.addSong("old.mp3", f);
    app.addSong("other.mp3", "/elsewhere/");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(f), QStringList({"a.mp3", "B.MP3", "d.wma", "e.Mp3", "track_mp3"}));
    EXPECT_EQ(rows("/elsewhere/").size(), 1);

    QFile::remove(f + "B.MP3");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(f), QStringList({"a.mp3", "d.wma", "e.Mp3", "track_mp3"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);
}

TEST_F(Scan, ReadsTagsOnlyFromMp3FilesWhenAsked) {
    const QString f = folder("Tags", {{"rock.mp3", tagged("Song", 17)},
                                      {"odd.mp3", tagged("X", 200)},
                                      {"plain.mp3", {}},
                                      {"tagged.wav", tagged("Wave", 17)}});
    ASSERT_EQ(Scanner::ScanFolder(f, true), Outcome::Rebuilt);
    const QString pad(30, ' ');
    EXPECT_EQ(rows(f, "artist, title, artist2, genre"),
              QStringList({"odd.mp3|X" + pad.left(29) + "|" + pad + "|Unknown Genre Entry", "plain.mp3|~|~|~",
                           "rock.mp3|Song" + pad.left(26) + "|" + pad + "|Rock", "tagged.wav|~|~|~"}));
    ASSERT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt);
    EXPECT_EQ(rows(f, "genre"), QStringList(4, "~"));
}

TEST_F(Scan, EmptyFolderKeepsItsRowsVanishedFolderLosesThem) {
    const QString empty = folder("Empty", {{".hidden.mp3", {}}}), gone = folder("Gone 'n' away", {});
    app.addSong("old.mp3", empty);
    app.addSong("x.mp3", gone);
    EXPECT_EQ(Scanner::ScanFolder(empty, true), Outcome::Empty);
    EXPECT_EQ(rows(empty), QStringList({"old.mp3"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);

    QDir(gone).removeRecursively();
    EXPECT_EQ(Scanner::ScanFolder(gone, true), Outcome::Removed);
    EXPECT_TRUE(rows(gone).isEmpty());
    EXPECT_EQ(rows(empty).size(), 1);
    EXPECT_EQ(Module1::FolderRemoved, 1);
}

TEST_F(Scan, FolderIsReplacedWholeOrNotAtAll) {
    const QString f = folder("Atomic", {{"1.mp3", {}}, {"2.mp3", tagged("T", 1)}, {"3.mp3", {}}});
    app.addSong("old.mp3", f);
    // Another reader (or what a crash would leave) sees the old rows half way through.
    Connection other;
    other.ConnectionString = Module1::cnLibrary.ConnectionString;
    other.Open();
    QStringList midway;
    auto peek = [&](int done, int) {
        if (done == 1) {
            QSqlQuery q(other.database());
            q.exec("SELECT artist FROM songs");
            while (q.next()) midway << q.value(0).toString();
            QFile::remove(f + "2.mp3");  // vanishes before its tag is read
        }
        return true;
    };
    ASSERT_EQ(Scanner::ScanFolder(f, true, peek), Outcome::Rebuilt);
    EXPECT_EQ(midway, QStringList({"old.mp3"}));
    EXPECT_EQ(rows(f, "artist, genre"), QStringList({"1.mp3|~", "2.mp3|~", "3.mp3|~"}));

    QFile(f + "2.mp3").open(QIODevice::WriteOnly);
    EXPECT_EQ(Scanner::ScanFolder(f, false, [](int done, int) { return done < 2; }), Outcome::Cancelled);
    EXPECT_EQ(rows(f).size(), 3);

    app.exec(
        "CREATE TRIGGER boom BEFORE INSERT ON songs WHEN NEW.artist='2.mp3' "
        "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Removed);
    EXPECT_TRUE(rows(f).isEmpty());
    EXPECT_FALSE(Module1::rsLibrary.IsOpen());
    app.exec("DROP TRIGGER boom");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt) << "the transaction was ended";
}

TEST_F(Scan, TagsAreReadOnlyWhenTheBoxOrTheStartupRescanSaySo) {
    const QString f = folder("T", {{"t.mp3", tagged("T", 17)}});
    const struct {
        bool loaded, check1;
        int startup;
        const char* genre;
    } cases[] = {{true, true, 0, "Rock"},
                 {true, false, 0, "~"},
                 {true, false, 1, "Rock"},
                 {false, false, 0, "Rock"}};  // a setup window loading now would tick its box
    for (const auto& c : cases) {
        Windows::Unload<frmSetup>();
        if (c.loaded) Windows::Load<frmSetup>().Check1->setChecked(c.check1);
        Module1::StartupRescan = c.startup;
        Module1::ScanFolder(f);
        EXPECT_EQ(rows(f, "genre"), QStringList({c.genre})) << c.loaded << c.check1 << c.startup;
        EXPECT_EQ(Windows::IsLoaded<frmSetup>(), c.loaded);
    }
}

TEST_F(Scan, OneProgressAndCancelCoverTheRunAndNoHandlerBreaksIt) {
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < 30; ++i) files.append({QString("%1.mp3").arg(i, 2, 10, QChar('0')), {}});
    const QString f = folder("Long", files), other = folder("Other", {{"o.mp3", {}}});
    const QString before = folder("Before", {{"b.mp3", {}}}), after = folder("After", {{"a.mp3", {}}});
    app.addSong("kept.mp3", f);
    app.addSong("old.mp3", after);
    ScanProgress::setClock([](const QElapsedTimer&) {
        static qint64 now = 0;
        return now += 100;  // a tenth of a second per look
    });
    int ticks = 0;
    QString label;
    QTimer tick;  // fires whenever the scan lets events through, as a deck's timer would
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        Module1::ScanFolder(other);  // no scan inside another
        try {                        // a handler using the shared recordset meanwhile
            Module1::rsLibrary.Close();
            Module1::rsLibrary.Open("SELECT * FROM songs", Module1::cnLibrary);
            Module1::rsLibrary.Close();
        } catch (const StoreError&) {
        }
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                label = d->labelText();
                d->cancel();
            }
    });
    tick.start();
    EXPECT_FALSE(Module1::ScanFolders({before, f, after}));
    tick.stop();
    EXPECT_GT(ticks, 3);
    EXPECT_TRUE(label.startsWith("Scanning " + f + "\n") && label.endsWith(" of 30 files"))
        << label.toStdString();
    // The folder done stays, the one in progress is rolled back, the rest wait.
    EXPECT_EQ(rows(before), QStringList({"b.mp3"}));
    EXPECT_EQ(rows(f), QStringList({"kept.mp3"}));
    EXPECT_EQ(rows(after), QStringList({"old.mp3"}));
    EXPECT_TRUE(rows(other).isEmpty());
    Module1::ScanFolder(f);
    EXPECT_EQ(rows(f).size(), 30);
}

TEST_F(Scan, BrowseFolderTrimsTheSeparator) {
    app.ui.folders = {"/music/rock/", "/music/rock", "/", ""};
    for (const char* expected : {"/music/rock", "/music/rock", "/", ""})
        EXPECT_EQ(Module1::BrowseFolder(nullptr, "Add Song Path"), expected);
    EXPECT_EQ(app.ui.browseTitles, QStringList(4, "Add Song Path"));
}

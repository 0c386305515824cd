#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimer>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Module1.h"
#include "app/ScanProgress.h"
#include "audio/Decoder.h"
#include "library/ID3Tag.h"
#include "library/Scanner.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"

using Scanner::Outcome;

namespace {

using Files = QList<std::pair<QString, QByteArray>>;

struct Scan : ::testing::Test {
    TempApp app;
    QTemporaryDir root;
    ~Scan() override { ScanProgress::setClock(nullptr); }

    // A folder under the temporary root holding the given files (null bytes:
    // default contents; a name with a "/" makes a subfolder), as the library
    // spells it (ending in "/").
    QString folder(const QString& name, const Files& files) const {
        const QString path = root.path() + "/" + name + "/";
        QDir(root.path()).mkpath(name);
        for (const auto& [f, bytes] : files) {
            QDir(path).mkpath(QFileInfo(f).path());
            QFile out(path + f);
            out.open(QIODevice::WriteOnly);
            out.write(bytes.isNull() ? QByteArray(200, 'a') : bytes);
        }
        return path;
    }
    // An audio body followed by a tag with the given title and genre byte.
    static QByteArray tagged(const QByteArray& title, unsigned char genre) {
        QByteArray tag(128, ' ');
        tag.replace(0, 3, "TAG");
        tag.replace(3, title.size(), title);
        tag[127] = char(genre);
        return QByteArray(300, 'm') + tag;
    }
};

// Files with default contents.
Files plain(std::initializer_list<const char*> names) {
    Files out;
    for (const char* n : names) out.append({QString::fromUtf8(n), {}});
    return out;
}

QByteArray randomBytes(int n, uint32_t seed) {
    QByteArray b;
    for (int i = 0; i < n; ++i) b += char((seed = seed * 1664525u + 1013904223u) >> 24);
    return b;
}

}  // namespace

// Folder contents -> the rows a scan with tags makes, in name order.
TEST_F(Scan, FolderContentsBecomeRows) {
    const QByteArray rock = tagged("Song", 17), block = rock.right(128);
    const struct {
        const char* name;
        Files files;
        QStringList rows;  // artist|genre|title and artist (the tag's), trimmed
        void (*more)(const QString& dir) = nullptr;
        Outcome outcome = Outcome::Rebuilt;
    } cases[] = {
        // A folder with no audio keeps its rows (a drive not mounted, say); one
        // that is gone, or cannot be listed, loses them.
        {"hidden only", {{".hidden.mp3", {}}}, {"old.mp3|~|~"}, nullptr, Outcome::Empty},
        {"gone 'n' away",
         plain({"x.mp3"}),
         {},
         [](const QString& dir) { QDir(dir).removeRecursively(); },
         Outcome::Removed},
        {"shut",
         plain({"b.mp3"}),
         {},
         [](const QString& dir) { QFile::setPermissions(dir, {}); },
         Outcome::Removed},
        {"audio of this folder only",
         plain({"e.Mp3", "c.txt", "B.MP3", "a.mp3", "d.wma", "track_mp3", "song.mpeg", "mp",
                "sub.mp3/inner.mp3"}),
         {"a.mp3|~|~", "B.MP3|~|~", "d.wma|~|~", "e.Mp3|~|~", "track_mp3|~|~"}},
        {"hidden files and resource forks",
         {{".hidden.mp3", {}}, {"._x.mp3", rock}, {"x.mp3", {}}},
         {"x.mp3|~|~"}},
        {"tags from mp3 files only",
         {{"rock.mp3", rock}, {"odd.mp3", tagged("X", 200)}, {"tagged.wav", rock}, {"all tag.mp3", block}},
         {"all tag.mp3|Rock|Song", "odd.mp3|Unknown Genre Entry|X", "rock.mp3|Rock|Song", "tagged.wav|~|~"}},
        {"no complete tag at the very end",
         {{"zero.mp3", ""},
          {"short.mp3", block.left(127)},
          {"cut.mp3", rock.left(90)},
          {"tail.mp3", rock + "y"},
          {"noise.mp3", randomBytes(10000, 7)}},
         {"cut.mp3|~|~", "noise.mp3|~|~", "short.mp3|~|~", "tail.mp3|~|~", "zero.mp3|~|~"}},
        {"names in any script",
         plain({"100%.mp3", "say \"hi\".mp3", "odd*()*name.mp3", "\u041a\u0438\u043d\u043e.mp3",
                "\u5742\u672c\u4e5d.mp3", "it's.mp3"}),
         {"100%.mp3|~|~", "it's.mp3|~|~", "odd*()*name.mp3|~|~", "say \"hi\".mp3|~|~",
          "\u041a\u0438\u043d\u043e.mp3|~|~", "\u5742\u672c\u4e5d.mp3|~|~"},
         [](const QString& dir) {  // bytes that are not UTF-8, as old copies from other systems have
             ::close(::open((QFile::encodeName(dir) + "caf\xE9.mp3").constData(), O_CREAT | O_WRONLY, 0644));
         }},
        {"links and unreadable files",
         {{"a.mp3", rock}},
         {"a.mp3|~|~"},
         [](const QString& dir) {
             ::symlink(".", QFile::encodeName(dir + "loop").constData());
             ::symlink("self.mp3", QFile::encodeName(dir + "self.mp3").constData());
             // Opened for reading, a pipe waits for a writer forever.
             ::mkfifo(QFile::encodeName(dir + "pipe").constData(), 0600);
             ::symlink("pipe", QFile::encodeName(dir + "pipe.mp3").constData());
             ID3Tag::ID3v1Tag tag;
             EXPECT_FALSE(ID3Tag::ReadID3Tag(dir + "pipe.mp3", tag));
             std::string error;
             EXPECT_EQ(audio::openDecoder((dir + "pipe.mp3").toStdString(), 48000, error), nullptr);
             QFile::setPermissions(dir + "a.mp3", QFileDevice::Permissions());
         }},
    };
    app.addSong("other.mp3", "/elsewhere/");
    int removed = 0;
    for (const auto& c : cases) {
        const QString dir = folder(c.name, c.files);
        if (c.more) c.more(dir);
        app.addSong("old.mp3", dir);  // replaced by what the folder holds now
        QStringList want = c.rows;
        Outcome outcome = c.outcome;
        // The superuser reads every file and lists every folder.
        if (QString(c.name).startsWith("links") && QFile(dir + "a.mp3").open(QIODevice::ReadOnly))
            want[0] = "a.mp3|Rock|Song";
        if (QString(c.name) == "shut" && QDir(dir).entryList(QDir::Files).size() == 1)
            std::tie(want, outcome) = std::pair(QStringList{"b.mp3|~|~"}, Outcome::Rebuilt);
        EXPECT_EQ(Scanner::ScanFolder(dir, true), outcome) << c.name;
        removed += outcome == Outcome::Removed;
        EXPECT_EQ(app.rows(dir, "artist, genre, rtrim(title || artist2)"), want) << c.name;
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    EXPECT_EQ(app.rows("/elsewhere/").size(), 1);
    EXPECT_EQ(Module1::FolderRemoved, removed);
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
    EXPECT_EQ(app.rows(f, "artist, genre"), QStringList({"1.mp3|~", "2.mp3|~", "3.mp3|~"}));

    QFile(f + "2.mp3").open(QIODevice::WriteOnly);
    EXPECT_EQ(Scanner::ScanFolder(f, false, [](int done, int) { return done < 2; }), Outcome::Cancelled);
    EXPECT_EQ(app.rows(f).size(), 3);

    app.exec(
        "CREATE TRIGGER boom BEFORE INSERT ON songs WHEN NEW.artist='2.mp3' "
        "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Removed);
    EXPECT_TRUE(app.rows(f).isEmpty());
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
        EXPECT_EQ(app.rows(f, "genre"), QStringList({c.genre})) << c.loaded << c.check1 << c.startup;
        EXPECT_EQ(Windows::IsLoaded<frmSetup>(), c.loaded);
    }
}

TEST_F(Scan, OneProgressAndCancelCoverTheRunAndNoHandlerBreaksIt) {
    Files files;
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
    EXPECT_EQ(app.rows(before), QStringList({"b.mp3"}));
    EXPECT_EQ(app.rows(f), QStringList({"kept.mp3"}));
    EXPECT_EQ(app.rows(after), QStringList({"old.mp3"}));
    EXPECT_TRUE(app.rows(other).isEmpty());
    Module1::ScanFolder(f);
    EXPECT_EQ(app.rows(f).size(), 30);
}

TEST_F(Scan, BrowseFolderTrimsTheSeparator) {
    app.ui.folders = {"/music/rock/", "/music/rock", "/", ""};
    for (const char* expected : {"/music/rock", "/music/rock", "/", ""})
        EXPECT_EQ(Module1::BrowseFolder(nullptr, "Add Song Path"), expected);
    EXPECT_EQ(app.ui.browseTitles, QStringList(4, "Add Song Path"));
}

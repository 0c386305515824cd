#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
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

    // A folder under the temporary root holding the named files (200 bytes of
    // audio without a tag; a name with a "/" makes a subfolder) and the given
    // ones, as the library spells it (ending in "/").
    QString folder(const QString& name, const QStringList& names, Files files = {}) const {
        const QString path = root.path() + "/" + name + "/";
        QDir(root.path()).mkpath(name);
        for (const QString& n : names) files.append({n, QByteArray(200, 'a')});
        for (const auto& [f, bytes] : files) {
            QDir(path).mkpath(QFileInfo(f).path());
            QFile out(path + f);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
        }
        return path;
    }
    // An audio body followed by a tag with the given title and genre byte.
    static QByteArray tagged(const QByteArray& title, unsigned char genre) {
        return QByteArray(300, 'm') + ("TAG" + title).leftJustified(127) + char(genre);
    }
};

}  // namespace

// Only this folder's audio files become rows, in name order, with tags read
// from mp3 files whose last 128 bytes are a tag.
TEST_F(Scan, FolderContentsBecomeRows) {
    const QByteArray rock = tagged("Song", 17), block = rock.right(128);
    const QString dir = folder("it's all",
                               {".hidden.mp3", "e.Mp3", "c.txt", "B.MP3", "a.mp3", "d.wma", "track_mp3",
                                "song.mpeg", "mp", "sub.mp3/inner.mp3", "\u041a\u0438\u043d\u043e.mp3"},
                               {{"rock.mp3", rock},
                                {"odd.mp3", tagged("X", 200)},
                                {"tagged.wav", rock},
                                {"all tag.mp3", block},
                                {"short.mp3", block.left(127)},
                                {"tail.mp3", rock + "y"}});
    // Bytes that are not UTF-8, as old copies from other systems have.
    ::close(::open((QFile::encodeName(dir) + "caf\xE9.mp3").constData(), O_CREAT | O_WRONLY, 0644));
    ::symlink(".", QFile::encodeName(dir + "loop").constData());
    ::symlink("self.mp3", QFile::encodeName(dir + "self.mp3").constData());
    // Opened for reading, a pipe waits for a writer forever.
    ::mkfifo(QFile::encodeName(dir + "pipe").constData(), 0600);
    ::symlink("pipe", QFile::encodeName(dir + "pipe.mp3").constData());
    ID3Tag::ID3v1Tag tag;
    EXPECT_FALSE(ID3Tag::ReadID3Tag(dir + "pipe.mp3", tag));
    std::string error;
    EXPECT_EQ(audio::openDecoder((dir + "pipe.mp3").toStdString(), 48000, error), nullptr);
    app.addSong("old.mp3", dir);  // replaced by what the folder holds now
    EXPECT_EQ(Scanner::ScanFolder(dir, true), Outcome::Rebuilt);
    EXPECT_EQ(
        app.rows(dir, "artist, genre, rtrim(title || artist2)"),
        QStringList({"a.mp3|~|~", "all tag.mp3|Rock|Song", "B.MP3|~|~", "d.wma|~|~", "e.Mp3|~|~",
                     "odd.mp3|Unknown Genre Entry|X", "rock.mp3|Rock|Song", "short.mp3|~|~", "tagged.wav|~|~",
                     "tail.mp3|~|~", "track_mp3|~|~", "\u041a\u0438\u043d\u043e.mp3|~|~"}));
    // The temporary folder's clean-up cannot name it.
    ::unlink((QFile::encodeName(dir) + "caf\xE9.mp3").constData());

    // A folder with no audio keeps its rows (a drive not mounted, say); one
    // that is gone, or cannot be listed, loses them.
    const QString hidden = folder("hidden", {".hidden.mp3"}), gone = folder("gone 'n' away", {});
    const QString shut = folder("shut", {"b.mp3"});
    QDir(gone).removeRecursively();
    QFile::setPermissions(shut, {});
    for (const QString& d : {hidden, gone, shut}) {
        const Outcome outcome = d == hidden ? Outcome::Empty : Outcome::Removed;
        if (d == shut && ::geteuid() == 0) continue;  // the superuser lists every folder
        app.addSong("old.mp3", d);
        EXPECT_EQ(Scanner::ScanFolder(d, true), outcome) << d.toStdString();
        EXPECT_EQ(app.rows(d), QStringList(outcome == Outcome::Empty, "old.mp3")) << d.toStdString();
    }
    QFile::setPermissions(shut, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(Module1::FolderRemoved, 1);
}

// A file may vanish (or turn unreadable) between listing and reading; a scan
// that fails part way removes the folder and still ends its transaction.
TEST_F(Scan, VanishedFileKeepsItsRowAndAFailedScanRemovesTheFolder) {
    const QString f = folder("Atomic", {"1.mp3"}, {{"2.mp3", tagged("T", 1)}});
    const auto vanish = [&](int done, int) {
        if (done == 1) QFile::remove(f + "2.mp3");
        return true;
    };
    ASSERT_EQ(Scanner::ScanFolder(f, true, vanish), Outcome::Rebuilt);
    EXPECT_EQ(app.rows(f, "artist, genre"), QStringList({"1.mp3|~", "2.mp3|~"}));
    app.exec(
        "CREATE TRIGGER boom BEFORE INSERT ON songs WHEN NEW.artist='1.mp3' "
        "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Removed);
    EXPECT_TRUE(app.rows(f).isEmpty());
    app.exec("DROP TRIGGER boom");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt) << "the transaction was ended";
}

TEST_F(Scan, TagsAreReadOnlyWhenTheBoxOrTheStartupRescanSaySo) {
    const QString f = folder("T", {}, {{"t.mp3", tagged("T", 17)}});
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
    QStringList names;
    for (int i = 0; i < 30; ++i) names << QString("%1.mp3").arg(i, 2, 10, QChar('0'));
    const QString f = folder("Long", names), other = folder("Other", {"o.mp3"});
    const QString before = folder("Before", {"b.mp3"}), after = folder("After", {"a.mp3"});
    app.addSong("kept.mp3", f);
    app.addSong("old.mp3", after);
    ScanProgress::setClock([](const QElapsedTimer&) {
        static qint64 now = 0;
        return now += 100;  // a tenth of a second per look
    });
    QString label;
    QTimer tick;  // fires whenever the scan lets events through, as a deck's timer would
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
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
}

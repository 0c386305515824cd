#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Module1.h"
#include "app/ScanProgress.h"
#include "audio/Decoder.h"
#include "library/ID3Tag.h"
#include "library/Scanner.h"
#include "library/ListFile.h"
#include "support/SetupFolders.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"

using Scanner::Outcome;

namespace {

using Files = QList<std::pair<QString, QByteArray>>;

struct Scan : ::testing::Test {
    TempApp app;
    ~Scan() override { ScanProgress::setClock(nullptr); }

    // A folder in the application folder holding the named empty files and
    // the given ones, as the library spells it (ending in "/").
    QString folder(const QString& name, const QStringList& names, const Files& files = {}) const {
        const QString path = MusicFolder(app.path(), name, names);
        for (const auto& [f, bytes] : files) ListFile::WriteAtomically(path + f, bytes);
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
                                "song.mpeg", "mp", "\u041a\u0438\u043d\u043e.mp3"},
                               {{"rock.mp3", rock},
                                {"tagged.wav", rock},
                                {"all tag.mp3", block},
                                {"short.mp3", block.left(127)},
                                {"tail.mp3", rock + "y"}});
    MusicFolder(dir, "sub.mp3", {"inner.mp3"});
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
    EXPECT_EQ(app.rows(dir, "artist, genre, rtrim(title || artist2)"),
              QStringList({"a.mp3|~|~", "all tag.mp3|Rock|Song", "B.MP3|~|~", "d.wma|~|~", "e.Mp3|~|~",
                           "rock.mp3|Rock|Song", "short.mp3|~|~", "tagged.wav|~|~", "tail.mp3|~|~",
                           "track_mp3|~|~", "\u041a\u0438\u043d\u043e.mp3|~|~"}));
    // The temporary folder's clean-up cannot name it.
    ::unlink((QFile::encodeName(dir) + "caf\xE9.mp3").constData());

    // A folder with no audio keeps its rows (a drive not mounted, say).
    const QString hidden = folder("hidden", {".hidden.mp3"});
    app.addSong("old.mp3", hidden);
    EXPECT_EQ(Scanner::ScanFolder(hidden, true), Outcome::Empty);
    EXPECT_EQ(app.rows(hidden), QStringList("old.mp3"));
}

// A folder that cannot be listed loses its rows (one that is gone: the setup
// tests): a path through a regular file, for every user, and a folder
// without permissions, which the superuser lists all the same.
TEST_F(Scan, AFolderThatCannotBeListedLosesItsRows) {
    const QString shut = folder("shut", {"b.mp3"});
    QFile::setPermissions(shut, {});
    for (const QString& d : {folder("through", {"b.mp3"}) + "b.mp3/", shut}) {
        if (d == shut && ::geteuid() == 0)
            GTEST_SKIP() << "run as the superuser: only the path through a file ran";
        app.addSong("old.mp3", d);
        EXPECT_EQ(Scanner::ScanFolder(d, true), Outcome::Removed) << d.toStdString();
        EXPECT_EQ(app.rows(d), QStringList()) << d.toStdString();
    }
    QFile::setPermissions(shut, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A scan that fails part way removes the folder and still ends its transaction.
TEST_F(Scan, AFailedScanRemovesTheFolderAndEndsItsTransaction) {
    const QString f = folder("Atomic", {"1.mp3", "2.mp3"});
    app.addSong("old.mp3", f);
    app.exec(
        "CREATE TRIGGER boom BEFORE INSERT ON songs WHEN NEW.artist='1.mp3' "
        "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Removed);
    EXPECT_TRUE(app.rows(f).isEmpty());
    app.exec("DROP TRIGGER boom");
    EXPECT_EQ(Scanner::ScanFolder(f, false), Outcome::Rebuilt) << "the transaction was ended";
}

// Tags are read when the setup window's box is ticked (a window not loaded
// would tick it as it loads, so the scan need not load it) or during the
// start-up rescan.
TEST_F(Scan, TagsAreReadOnlyWhenTheBoxOrTheStartupRescanSaySo) {
    const QString f = folder("T", {}, {{"t.mp3", tagged("T", 17)}});
    QStringList genres;
    for (int step = 0; step < 4; ++step) {
        if (step == 1) Windows::Load<frmSetup>();
        if (step == 2) Windows::Find<frmSetup>()->Check1->setChecked(false);
        Module1::StartupRescan = step == 3;
        Module1::ScanFolder(f);
        genres += app.rows(f, "genre");
        EXPECT_EQ(Windows::IsLoaded<frmSetup>(), step > 0) << step;
    }
    EXPECT_EQ(genres, QStringList({"Rock", "Rock", "~", "Rock"}));
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
    QTimer tick;  // at 0 ms it fires whenever the scan lets events through, as a deck's timer would
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
    EXPECT_EQ(app.rows(before) + app.rows(f) + app.rows(after) + app.rows(other),
              QStringList({"b.mp3", "kept.mp3", "old.mp3"}));
    Module1::ScanFolder(f);
    EXPECT_EQ(app.rows(f).size(), 30);
}

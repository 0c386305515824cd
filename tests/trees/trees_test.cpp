// Whole folder trees through the setup window: which folders come in, what a
// rescan takes in and drops, and what removing a tree or a folder of it does.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utime.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include "app/FolderOptions.h"
#include "app/LibraryWatch.h"
#include "library/FolderWatcher.h"
#include "support/CueFixture.h"
#include "support/SetupFolders.h"
#include "windows/frmSetup.h"

namespace {

// Root reads any folder; for the length of a scan it may not, so a locked
// folder is locked for this test whoever runs it.
struct WithoutReadOverride {
    static constexpr unsigned kRead = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    const unsigned had = syscall(SYS_capget, &head, caps) == 0 ? caps[0].effective & kRead : 0;
    const bool dropped = had && (caps[0].effective &= ~kRead, syscall(SYS_capset, &head, caps) == 0);
    ~WithoutReadOverride() {
        if (dropped) caps[0].effective |= had, syscall(SYS_capset, &head, caps);
    }
};

struct Trees : ::testing::Test {
    TempApp app;
    QString top = app.path() + "/Music/";
    Trees() { Options::Set(Options::IncludeSubfolders, true); }
    static frmSetup& w() { return Windows::Load<frmSetup>(); }

    QString at(const QString& rel, const QStringList& files = {}) const {
        return QDir::cleanPath(MusicFolder(top, rel, files)) + '/';
    }
    void add(const QString& folder) { app.ui.folders.push_back(folder.chopped(1)), w().cmdAdd_Click(); }
    static void remove(int row) { w().lstPaths->SetSelectedItem(row), w().cmdRemove_Click(); }
    // Every folder of the library below the app folder with its songs, as "folder|songs".
    QStringList library() const {
        QSqlQuery q("SELECT path, count(*) FROM songs GROUP BY path ORDER BY path",
                    Module1::cnLibrary.database());
        QStringList out;
        while (q.next()) out << q.value(0).toString().mid(app.path().size()) + "|" + q.value(1).toString();
        return out;
    }
};

}  // namespace

// Each shape of tree through Add Path, with subfolders on and off.
TEST_F(Trees, AddPathTakesInEveryFolderOfTheTreeOnlyWhenAsked) {
    const QString outside = MusicFolder(app.path(), "Elsewhere", {"x.mp3"});
    const struct {
        const char* shape;
        const char *on, *off;  // the library's folders, as library() lists them, joined by spaces
        std::function<void()> make;
    } cases[] = {
        {"nested", "/Music/|1 /Music/Artist/Album/|2", "/Music/|1",
         [&] {
             at("", {"a.mp3"}), at("Artist/Album", {"1.mp3", "2.wav", "c.txt"});
         }},
        {"empty folder", "/Music/A/|1", "", [&] { at("Empty"), at("A", {"1.mp3"}); }},
        {"hidden folder", "/Music/|1", "/Music/|1", [&] { at(".cache", {"1.mp3"}), at("", {"a.mp3"}); }},
        {"link loop", "/Music/A/|1", "", [&] { at("A", {"1.mp3"}), QFile::link(top, top + "A/loop"); }},
        {"link out of the tree, twice", "/Music/one/|1", "",
         [&] { at(""), QFile::link(outside, top + "one"), QFile::link(outside, top + "two"); }},
        {"unreadable folder", "/Music/B/|1", "",
         [&] { QFile::setPermissions(at("Locked", {"1.mp3"}), {}), at("B", {"1.mp3"}); }},
    };
    for (bool on : {true, false})
        for (const auto& c : cases) {
            Options::Set(Options::IncludeSubfolders, on);
            QDir(top).removeRecursively();
            app.exec("DELETE FROM songs");
            app.exec("DROP TABLE IF EXISTS velumix_trees");
            c.make();
            const WithoutReadOverride locked;  // until the checks are done
            add(top);
            SCOPED_TRACE(c.shape + QString(on ? " on" : " off").toStdString());
            EXPECT_EQ(library().join(' '), on ? c.on : c.off);
            EXPECT_EQ(w().lblupdate->text().contains("Cannot read " + top + "Locked/: skipped"),
                      on && QString(c.shape) == "unreadable folder");
            QFile::setPermissions(top + "Locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
}

// A tree added inside another and the other way round: each folder once.
// Removing the inner tree asks once, names what goes, and keeps it out of the
// outer tree's rescans; removing a folder of a tree does the same for it,
// until it is added again.
TEST_F(Trees, TreesInsideTreesAndWhatRemovingThemKeepsOut) {
    at("Inner/Album", {"1.mp3", "2.mp3"});
    at("Inner/Live", {"3.mp3"});
    at("Other", {"4.mp3"});
    add(top + "Inner/");
    add(top);
    add(top);
    const QStringList all = {"/Music/Inner/Album/|2", "/Music/Inner/Live/|1", "/Music/Other/|1"};
    EXPECT_EQ(library(), all);
    EXPECT_EQ(RowsOf(w().lstPaths).first(), "1|" + top + "|0");  // the top, with no songs of its own
    app.ui.answers = {Seams::Answer::No, Seams::Answer::Yes, Seams::Answer::Yes};
    for (int i = 0; i < 2; ++i) remove(2);  // Inner/
    EXPECT_EQ(library(), QStringList{"/Music/Other/|1"});
    remove(2);  // Other/
    w().cmdUpdateAll_Click();
    EXPECT_EQ(library(), QStringList{});
    const QString tree = "Remove Song Path|2|Remove the folder tree " + top + "Inner/ from the database: ";
    EXPECT_EQ(Said(app.ui).mid(1),
              QStringList({tree + "2 folders with 3 songs?", tree + "2 folders with 3 songs?",
                           "Remove Song Path|2|Remove all songs from database associated with path:" + top +
                               "Other/'"}));
    add(top + "Inner/");
    add(top + "Other/");
    EXPECT_EQ(library(), all);
}

// Update All Paths and the start-up rescan take in folders that appeared in a
// tree and drop those that vanished, saying so once as for any folder.
TEST_F(Trees, RescansFollowTheTreeOnDisk) {
    at("Gone", {"1.mp3"});
    add(top);
    QDir(top + "Gone").removeRecursively();
    at("New/Album", {"1.mp3"});
    w().cmdUpdateAll_Click();
    EXPECT_EQ(library(), QStringList{"/Music/New/Album/|1"});
    EXPECT_EQ(app.ui.lastText(),
              "Some directories have been deleted/moved or renamed and have been removed from Velumix");
    UnloadAllWindows();
    at("Later", {"1.mp3"});
    app.exec("UPDATE settings SET ext1='YES'");
    app.loadMain();
    EXPECT_EQ(library(), QStringList({"/Music/Later/|1", "/Music/New/Album/|1"}));
}

// Update All Paths reads a folder again only when its listing, a file's size
// or time, its rows or the way tags are read changed; else a stale title stays.
TEST_F(Trees, UpdateAllRereadsOnlyChangedFolders) {
    const QString a = at("A", {"1.mp3", "2.mp3"});
    const utimbuf past{978307200, 978307200};
    const struct {
        const char* change;
        std::function<void()> make;
        bool reread;
    } cases[] = {
        {"nothing", [] {}, false},
        {"time", [&] { ::utime(QFile::encodeName(a + "1.mp3").constData(), &past); }, true},
        {"size", [&] { QFile::resize(a + "2.mp3", 1); }, true},
        {"new file", [&] { at("A", {"3.mp3"}); }, true},
        {"row deleted", [&] { app.exec("DELETE FROM songs WHERE artist='3.mp3'"); }, true},
        {"tag reading", [&] { w().Check1->setChecked(false); }, true},
    };
    add(top);
    for (const auto& c : cases) {
        app.exec("UPDATE songs SET title='stale'");
        c.make();
        w().cmdUpdateAll_Click();
        EXPECT_EQ(app.rows(a, "title").contains("stale"), !c.reread) << c.change;
    }
}

// Real file operations reach the library once the folder is quiet, and not
// while another operation holds a shared recordset: then they wait their turn.
TEST_F(Trees, WatchedChangesReachTheLibraryInTheirTurn) {
    Options::Set(Options::WatchFolders, true);
    const QString a = at("A", {"1.mp3"});
    add(top);
    FolderWatcher* watcher = LibraryWatch::Watcher();
    ASSERT_TRUE(watcher);
    watcher->setQuietMs(3600 * 1000);  // the test says when the folders are quiet
    const auto waitFor = [watcher](const QStringList& pending) {
        QDeadlineTimer bound(5000);
        while (watcher->pending() != pending && !bound.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(watcher->pending(), pending);
    };
    at("A", {"2.mp3"});
    QFile::rename(a + "1.mp3", a + "3.mp3");
    at("B", {"b.mp3"});
    waitFor({top, a, top + "B/"});
    Module1::rsLookup.Open("SELECT * FROM settings", Module1::cnLibrary);
    watcher->flush();
    EXPECT_EQ(library(), QStringList({"/Music/A/|1"}));
    Module1::rsLookup.Close();
    LibraryWatch::Rescan({});
    EXPECT_EQ(library(), QStringList({"/Music/A/|2", "/Music/B/|1"}));
    EXPECT_EQ(app.rows(a), QStringList({"2.mp3", "3.mp3"}));
    // A tag fixed in place by another program.
    QFile tagged(a + "2.mp3");
    tagged.open(QIODevice::WriteOnly), tagged.write("TAG" + QByteArray("Fixed").leftJustified(125, '\0')),
        tagged.close();
    waitFor({a});
    watcher->flush();
    EXPECT_TRUE(app.rows(a, "title").value(0).startsWith("Fixed"));
    Options::Set(Options::WatchFolders, false);
    LibraryWatch::Refresh();
    EXPECT_FALSE(LibraryWatch::Watcher());
}

// Folders past the watch limit are told of once, in a box that does not stop the user.
TEST_F(Trees, FoldersPastTheWatchLimitAreToldOfOnce) {
    Options::Set(Options::WatchFolders, true);
    at("A", {"1.mp3"});
    add(top);
    FolderWatcher* watcher = LibraryWatch::Watcher();
    ASSERT_TRUE(watcher);
    watcher->setMaxWatches(watcher->watchedCount());
    LibraryWatch::Watch({at("B", {"1.mp3"}), at("C", {"1.mp3"})});
    const QString notice =
        "2 music folders get no change events and are checked every 5 minutes instead: 0 on "
        "network file systems, 2 beyond the system's limit of watched folders.";
    EXPECT_EQ(LibraryWatch::Notice(), notice);
    EXPECT_FALSE(QApplication::activeModalWidget());
    LibraryWatch::Watch({at("D", {"1.mp3"})});
    EXPECT_EQ(LibraryWatch::Notice(), notice);
}

// A folder on a FUSE file system, as sshfs mounts them, gets no change events:
// the periodic pass checks it instead.
TEST(FolderWatch, AFolderOnAFuseMountIsPolled) {
    QTemporaryDir dir;
    const QString real = MusicFolder(dir.path(), "Real", {"1.mp3"}),
                  mount = MusicFolder(dir.path(), "Mount", {});
    if (QProcess::execute("bindfs", {real, mount}) != 0) GTEST_SKIP() << "no FUSE mount can be made here";
    FolderWatcher watcher;
    EXPECT_FALSE(watcher.watch(mount));
    EXPECT_EQ(watcher.polled().value(mount), "network");
    EXPECT_EQ(QProcess::execute("fusermount", {"-u", mount}), 0);
}

// Past the watch limit a folder is checked by the periodic pass instead.
TEST(FolderWatch, PastTheLimitTheListingIsCompared) {
    QTemporaryDir dir;
    const QString folder = MusicFolder(dir.path(), "F", {"1.mp3"});
    FolderWatcher watcher;
    watcher.setMaxWatches(0);
    EXPECT_FALSE(watcher.watch(folder));
    EXPECT_EQ(watcher.polled().value(folder), "limit");
    QStringList told;
    QObject::connect(&watcher, &FolderWatcher::changed, [&](const QStringList& f) { told += f; });
    watcher.pollNow();
    MusicFolder(dir.path(), "F", {"2.mp3"});
    watcher.pollNow();
    EXPECT_EQ(told, QStringList{folder});
}

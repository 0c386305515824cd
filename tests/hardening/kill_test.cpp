// A process killed at a random moment while it rewrites a list file or scans
// a folder must leave one whole state behind: the old one or the new one.
#include <gtest/gtest.h>

#include <QDir>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Module1.h"
#include "library/ListFile.h"
#include "library/Scanner.h"
#include "support/TempApp.h"

namespace {

// Runs body (which never returns) in a child process, kills it after a random
// delay of up to maxUs microseconds and reaps it.
template <class Body>
void killDuring(std::mt19937& rng, int maxUs, Body body) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        body();
        _exit(0);
    }
    usleep(useconds_t(std::uniform_int_distribution<int>(0, maxUs)(rng)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

TEST(CrashSafety, KilledWhileRewritingAListLeavesOneWholeCue) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/backup.vlx";
    // Two cues of different lengths, so a mix of them shows.
    const QByteArray a = ListFile::Record("/music/a/*()*song a.mp3").repeated(400);
    const QByteArray b = ListFile::Record("/music/b/*()*song b.mp3").repeated(613);
    ASSERT_TRUE(ListFile::WriteAtomically(file, a));
    std::mt19937 rng(20261206);
    for (int k = 0; k < 100; ++k) {
        killDuring(rng, 4000, [&] {
            for (int i = 0;; ++i) ListFile::WriteAtomically(file, (i % 2) ? a : b);
        });
        QByteArray now;
        ASSERT_TRUE(ListFile::ReadAll(file, now)) << "kill " << k << " lost the file";
        ASSERT_TRUE(now == a || now == b) << "kill " << k << " left " << now.size() << " bytes";
    }
}

TEST(CrashSafety, KilledDuringAScanLeavesTheOldOrTheNewFolder) {
    TempApp app;
    const QString dir = app.path() + "/music/";
    QDir().mkpath(dir);
    QStringList newRows, oldRows;
    for (int i = 0; i < 1500; ++i) {
        newRows << QStringLiteral("new%1.mp3").arg(i, 4, 10, QChar('0'));
        ASSERT_TRUE(ListFile::WriteAtomically(dir + newRows.last(), QByteArray(130, 'x')));
    }
    for (int i = 0; i < 700; ++i) oldRows << QStringLiteral("old%1.mp3").arg(i, 4, 10, QChar('0'));
    auto restoreOld = [&] {
        Module1::cnLibrary.BeginTrans();
        Module1::cnLibrary.Execute("DELETE FROM songs WHERE path='" + dir + "'");
        for (const QString& n : oldRows) app.addSong(n, dir);
        Module1::cnLibrary.CommitTrans();
    };
    restoreOld();
    app.addSong("other.mp3", "/elsewhere/");
    std::mt19937 rng(77);
    int sawOld = 0;
    for (int k = 0; k < 20; ++k) {
        // The child gets a connection of its own: an SQLite handle must not cross a fork.
        Module1::cnLibrary.Close();
        killDuring(rng, 40000, [&] {
            Module1::cnLibrary.Open();
            for (;;) Scanner::ScanFolder(dir, true);
        });
        Module1::cnLibrary.Open();
        QStringList now = app.rows(dir);
        now.sort();
        ASSERT_TRUE(now == oldRows || now == newRows) << "kill " << k << " left " << now.size() << " rows";
        EXPECT_EQ(app.scalar("SELECT count(*) FROM songs WHERE path='/elsewhere/'"), "1");
        sawOld += now == oldRows;
        if (now == newRows) restoreOld();  // as if the scan had never run
    }
    EXPECT_GT(sawOld, 0);
}

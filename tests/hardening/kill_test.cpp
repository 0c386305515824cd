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
#include "support/CueFixture.h"

namespace {

// Kills, `kills` times, a child that keeps turning one state into the other
// (flip(i) makes b of a for even i, a of b for odd i), once the child has
// done a random 0 to 2 flips and after a further random 0 to maxUs
// microseconds: waiting for flips, not for time alone, lands kills after
// chosen steps however loaded the machine is. Every kill must leave a or b
// whole, as now() reads it, and both must be seen.
template <class Flip, class Now, class T>
void killWhileFlipping(int kills, int maxUs, Flip flip, Now now, const T& a, const T& b) {
    std::mt19937 rng(20261206);
    int seen[2] = {};
    for (int k = 0; k < kills; ++k) {
        int flips[2];
        ASSERT_EQ(pipe(flips), 0);
        // Each process opens a connection of its own: an SQLite handle must not cross a fork.
        Module1::cnLibrary.Close();
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Module1::cnLibrary.Open();
            for (int i = 0;; ++i, (void)!write(flips[1], "f", 1)) flip(i);
        }
        close(flips[1]);
        char m;
        for (int n = std::uniform_int_distribution<int>(0, 2)(rng); n > 0 && read(flips[0], &m, 1) == 1;) --n;
        usleep(useconds_t(std::uniform_int_distribution<int>(0, maxUs)(rng)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(flips[0]);
        Module1::cnLibrary.Open();
        const T left = now();
        ASSERT_TRUE(left == a || left == b) << "kill " << k << " left neither";
        ++seen[left == b];
    }
    EXPECT_GT(seen[0] * seen[1], 0) << "the kills never fell among the flips";
}

}  // namespace

TEST(CrashSafety, KilledWhileRewritingAListLeavesOneWholeCue) {
    TempApp app;
    // Two cues of different lengths, so a mix of them shows.
    const QByteArray a = ListFile::Record("/music/a/*()*song a.mp3").repeated(400);
    const QByteArray b = ListFile::Record("/music/b/*()*song b.mp3").repeated(613);
    ASSERT_TRUE(ListFile::WriteAtomically(Module1::AutoRecoverFile(), a));
    killWhileFlipping(
        100, 4000, [&](int i) { ListFile::WriteAtomically(Module1::AutoRecoverFile(), i % 2 ? a : b); },
        BackupBytes, a, b);
}

// The child flips between a scan that finds the folder's new files and the
// old rows put back in one transaction.
TEST(CrashSafety, KilledDuringAScanLeavesTheOldOrTheNewFolder) {
    TempApp app;
    const QString dir = app.path() + "/music/";
    QDir().mkpath(dir);
    QStringList newRows, oldRows;
    for (int i = 0; i < 1500; ++i) {
        newRows << QStringLiteral("new%1.mp3").arg(i, 4, 10, QChar('0'));
        ASSERT_TRUE(ListFile::WriteAtomically(dir + newRows.last(), QByteArray(130, 'x')));
        if (i < 700)
            app.addSong((oldRows << QStringLiteral("old%1.mp3").arg(i, 4, 10, QChar('0'))).last(), dir);
    }
    killWhileFlipping(
        20, 40000,
        [&](int i) {
            if (i % 2 == 0) return (void)Scanner::ScanFolder(dir, true);
            Module1::cnLibrary.BeginTrans();
            Module1::cnLibrary.Execute("DELETE FROM songs WHERE path='" + dir + "'");
            for (const QString& n : oldRows) app.addSong(n, dir);
            Module1::cnLibrary.CommitTrans();
        },
        [&] {
            return app.scalar("SELECT group_concat(artist) FROM (SELECT artist FROM songs ORDER BY artist)");
        },
        oldRows.join(","), newRows.join(","));
}

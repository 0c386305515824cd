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

// Runs body (which never returns) in a child process and kills it: once the
// child has marked its progress a random 0 to maxMarks times (body calls
// mark() as it goes), after a further random delay of up to maxUs
// microseconds. Waiting for the marks, and not for time alone, lands kills
// after chosen steps however loaded the machine is.
template <class Body>
void killDuring(std::mt19937& rng, int maxMarks, int maxUs, Body body) {
    int marks[2];
    ASSERT_EQ(pipe(marks), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(marks[0]);
        body([fd = marks[1]] { (void)!write(fd, "m", 1); });
        _exit(0);
    }
    close(marks[1]);
    char m;
    for (int n = std::uniform_int_distribution<int>(0, maxMarks)(rng); n > 0 && read(marks[0], &m, 1) == 1;)
        --n;
    usleep(useconds_t(std::uniform_int_distribution<int>(0, maxUs)(rng)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(marks[0]);
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
    int seen[2] = {};  // kills that left a, b
    for (int k = 0; k < 100; ++k) {
        killDuring(rng, 2, 4000, [&](auto mark) {
            for (int i = 0;; ++i, mark()) ListFile::WriteAtomically(file, (i % 2) ? a : b);
        });
        QByteArray now;
        ASSERT_TRUE(ListFile::ReadAll(file, now)) << "kill " << k << " lost the file";
        ASSERT_TRUE(now == a || now == b) << "kill " << k << " left " << now.size() << " bytes";
        ++seen[now == b];
    }
    EXPECT_GT(seen[0] * seen[1], 0) << "the kills never fell among the rewrites";
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
        killDuring(rng, 2, 40000, [&](auto mark) {
            Module1::cnLibrary.Open();
            for (;; Scanner::ScanFolder(dir, true)) mark();
        });
        Module1::cnLibrary.Open();
        QStringList now = app.rows(dir);
        now.sort();
        ASSERT_TRUE(now == oldRows || now == newRows) << "kill " << k << " left " << now.size() << " rows";
        EXPECT_EQ(app.scalar("SELECT count(*) FROM songs WHERE path='/elsewhere/'"), "1");
        sawOld += now == oldRows;
        if (now == newRows) restoreOld();  // as if the scan had never run
    }
    EXPECT_GT(sawOld * (20 - sawOld), 0) << "the kills never fell before and after a scan";
}

// A process killed in the middle of a folder scan leaves the library with the
// folder's old rows or its new ones, never half of each.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Module1.h"
#include "library/Scanner.h"
#include "support/TempApp.h"

namespace {

QStringList folderRows(const QString& dir) {
    QSqlQuery q(Module1::cnLibrary.database());
    q.prepare("SELECT artist FROM songs WHERE path=? ORDER BY artist");
    q.addBindValue(dir);
    q.exec();
    QStringList out;
    while (q.next()) out << q.value(0).toString();
    return out;
}

}  // namespace

TEST(CrashSafety, KilledDuringAScanLeavesTheOldOrTheNewFolder) {
    TempApp app;
    const QString dir = app.path() + "/music/";
    QDir().mkpath(dir);
    QStringList newRows, oldRows;
    for (int i = 0; i < 1500; ++i) {
        const QString n = QStringLiteral("new%1.mp3").arg(i, 4, 10, QChar('0'));
        QFile f(dir + n);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(130, 'x'));
        newRows << n;
    }
    for (int i = 0; i < 700; ++i) {
        const QString n = QStringLiteral("old%1.mp3").arg(i, 4, 10, QChar('0'));
        app.addSong(n, dir);
        oldRows << n;
    }
    app.addSong("other.mp3", "/elsewhere/");

    std::mt19937 rng(77);
    std::uniform_int_distribution<int> delay(0, 40000);
    int sawOld = 0, sawNew = 0;
    const int kills = 30;
    for (int k = 0; k < kills; ++k) {
        // The child gets a connection of its own: an SQLite handle must not cross a fork.
        Module1::cnLibrary.Close();
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Module1::cnLibrary.Open();
            for (;;) Scanner::ScanFolder(dir, true);
        }
        usleep(useconds_t(delay(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        Module1::cnLibrary.Open();
        const QStringList now = folderRows(dir);
        ASSERT_TRUE(now == oldRows || now == newRows) << "kill " << k << " left " << now.size() << " rows";
        (now == oldRows ? sawOld : sawNew)++;
        EXPECT_EQ(app.scalar("SELECT count(*) FROM songs WHERE path='/elsewhere/'"), "1");
        // Back to the old rows for the next round, as if the scan had never run.
        if (now == newRows) {
            Module1::cnLibrary.BeginTrans();
            Module1::cnLibrary.Execute("DELETE FROM songs WHERE path='" + dir + "'");
            for (const QString& n : oldRows) app.addSong(n, dir);
            Module1::cnLibrary.CommitTrans();
        }
    }
    RecordProperty("kills", kills);
    RecordProperty("old", sawOld);
    RecordProperty("new", sawNew);
    EXPECT_GT(sawOld, 0);
}

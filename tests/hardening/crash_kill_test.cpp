// A process killed at a random moment while it rewrites a list file must
// leave the file holding one whole cue: the old one or the new one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "library/ListFile.h"

namespace {

QByteArray cueBytes(int rows, const QString& tag) {
    QByteArray out;
    for (int i = 0; i < rows; ++i)
        out += ListFile::Record(QStringLiteral("/music/%1/*()*song %2 of %3.mp3").arg(tag).arg(i).arg(rows));
    return out;
}

// Runs body in a child process, kills it after delayUs microseconds and reaps it.
template <class Body>
void killDuring(int delayUs, Body body) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        body();
        _exit(0);
    }
    usleep(useconds_t(delayUs));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

TEST(CrashSafety, KilledWhileRewritingAListLeavesOneWholeCue) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/backup.vlx";
    const QByteArray a = cueBytes(400, "a");
    const QByteArray b = cueBytes(613, "b");
    ASSERT_TRUE(ListFile::WriteAtomically(file, a));

    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> delay(0, 4000);
    int sawA = 0, sawB = 0;
    const int kills = 150;
    for (int k = 0; k < kills; ++k) {
        killDuring(delay(rng), [&] {
            for (int i = 0;; ++i) ListFile::WriteAtomically(file, (i % 2) ? a : b);
        });
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "kill " << k << " lost the file";
        const QByteArray now = f.readAll();
        ASSERT_TRUE(now == a || now == b) << "kill " << k << " left " << now.size() << " bytes";
        (now == a ? sawA : sawB)++;
    }
    // Both cues were seen, so the kills really landed in the middle of the loop.
    EXPECT_GT(sawA + sawB, 0);
    RecordProperty("kills", kills);
    RecordProperty("old_or_new_a", sawA);
    RecordProperty("old_or_new_b", sawB);
}

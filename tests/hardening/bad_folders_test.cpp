// Music folders as collections really are: broken and empty files, resource
// forks, names in any script or with bytes that are no text at all, symlink
// loops, files and folders that disappear while the scan runs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlRecord>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/Decoder.h"
#include "library/ID3Tag.h"
#include "library/ListFile.h"
#include "library/Scanner.h"
#include "scanner/ScanFixture.h"

namespace {

QByteArray randomBytes(int n, uint32_t seed) {
    QByteArray b;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        b += char(seed >> 24);
    }
    return b;
}

struct BadFolderTest : ::testing::Test, ScanFixture {};

}  // namespace

TEST_F(BadFolderTest, BrokenAudioFilesStillGetTheirRows) {
    const QString dir = folder("broken");
    file(dir + "zero.mp3", QByteArray());
    file(dir + "truncated.mp3", tagged("Cut", 17).left(90));
    file(dir + "random.mp3", randomBytes(10000, 7));
    file(dir + "._song.mp3", randomBytes(4096, 9));  // a resource fork copied from another system
    file(dir + "good.mp3", tagged("Good", 17));
    EXPECT_EQ(Scanner::ScanFolder(dir, true), Scanner::Outcome::Rebuilt);
    EXPECT_EQ(rows(dir, "artist, genre"),
              QStringList({"good.mp3|Rock", "random.mp3|~", "truncated.mp3|~", "zero.mp3|~"}));
}

TEST_F(BadFolderTest, NamesInAnyScriptSurviveScanSearchAndTheCueFile) {
    const QString dir = folder("names");
    const QStringList names = {
        "100%.mp3",
        "track #1.mp3",
        "why?.mp3",
        "it's.mp3",
        "say \"hi\".mp3",
        "odd*()*name.mp3",
        QString::fromUtf8("Кино - Группа крови.mp3"),
        QString::fromUtf8("坂本九 - 上を向いて歩こう.mp3"),
    };
    for (const QString& n : names) file(dir + n);
    ASSERT_EQ(Scanner::ScanFolder(dir, true), Scanner::Outcome::Rebuilt);
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(rows(dir), sorted);

    // Each name goes through a list file and back unchanged, and still names the file.
    for (const QString& n : names) {
        SCOPED_TRACE(n.toStdString());
        ListFile::RecordReader reader(ListFile::Decode(ListFile::Record(dir + ListFile::kSeparator + n)));
        QString path, name;
        ASSERT_TRUE(ListFile::Split(reader.Next(), path, name));
        EXPECT_EQ(path, dir);
        EXPECT_EQ(name, n);
        EXPECT_TRUE(QFile::exists(path + name));
    }
}

TEST_F(BadFolderTest, ANameThatIsNoTextDoesNotStopTheScan) {
    const QString dir = folder("bytes");
    file(dir + "a.mp3");
    // A name with bytes that are not UTF-8, as old copies from other systems have.
    const QByteArray raw = QFile::encodeName(dir) + "caf\xE9.mp3";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    file(dir + "z.mp3");
    EXPECT_EQ(Scanner::ScanFolder(dir, true), Scanner::Outcome::Rebuilt);
    const QStringList got = rows(dir);
    EXPECT_TRUE(got.contains("a.mp3"));
    EXPECT_TRUE(got.contains("z.mp3"));
}

TEST_F(BadFolderTest, SymlinkLoopsPipesAndSubfoldersAreNotFollowed) {
    const QString dir = folder("links");
    file(dir + "a.mp3");
    // Opened for reading, a pipe waits for a writer forever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "pipe").constData(), 0600), 0);
    ASSERT_EQ(::symlink("pipe", QFile::encodeName(dir + "pipe.mp3").constData()), 0);
    ID3Tag::ID3v1Tag tag;
    EXPECT_FALSE(ID3Tag::ReadID3Tag(dir + "pipe.mp3", tag));
    std::string error;
    EXPECT_EQ(audio::openDecoder((dir + "pipe.mp3").toStdString(), 48000, error), nullptr);
    EXPECT_EQ(error, "cannot open the file: not a regular file");
    ASSERT_EQ(::symlink(".", QFile::encodeName(dir + "loop").constData()), 0);
    ASSERT_EQ(::symlink("self.mp3", QFile::encodeName(dir + "self.mp3").constData()), 0);
    ASSERT_TRUE(QDir(dir).mkpath("sub/deeper"));
    file(dir + "sub/b.mp3");
    EXPECT_EQ(Scanner::ScanFolder(dir, true), Scanner::Outcome::Rebuilt);
    EXPECT_EQ(rows(dir), QStringList{"a.mp3"});
}

TEST_F(BadFolderTest, AFolderThatVanishesMidScanKeepsEveryListedFile) {
    const QString dir = folder("vanishing");
    for (const char* n : {"a.mp3", "b.mp3", "c.mp3", "d.wav"}) file(dir + n, tagged("T", 1));
    bool removed = false;
    const auto outcome = Scanner::ScanFolder(dir, true, [&](int done, int) {
        if (done == 1 && !removed) removed = QDir(dir).removeRecursively();
        return true;
    });
    ASSERT_TRUE(removed);
    EXPECT_EQ(outcome, Scanner::Outcome::Rebuilt);
    EXPECT_EQ(rows(dir).size(), 4);
}

TEST_F(BadFolderTest, UnreadableFilesAndFoldersAreHandled) {
    const QString dir = folder("locked");
    file(dir + "a.mp3", tagged("A", 17));
    QFile::setPermissions(dir + "a.mp3", QFileDevice::Permissions());
    EXPECT_EQ(Scanner::ScanFolder(dir, true), Scanner::Outcome::Rebuilt);
    EXPECT_EQ(rows(dir).size(), 1);

    const QString shut = folder("shut");
    file(shut + "b.mp3");
    ASSERT_EQ(Scanner::ScanFolder(shut, true), Scanner::Outcome::Rebuilt);
    QFile::setPermissions(shut, QFileDevice::Permissions());
    const bool rootReadsAll = QDir(shut).entryList(QDir::Files).size() == 1;
    const auto outcome = Scanner::ScanFolder(shut, true);
    QFile::setPermissions(shut, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (rootReadsAll)
        EXPECT_EQ(outcome, Scanner::Outcome::Rebuilt);
    else
        EXPECT_EQ(outcome, Scanner::Outcome::Removed);  // cannot be listed: as if it had gone
}

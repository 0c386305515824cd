#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "library/ID3Tag.h"
#include "support/ScriptedUi.h"

using namespace ID3Tag;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A tag block as another program might write it: NUL padding, genre 17.
QByteArray foreignTag() {
    QByteArray b(128, '\0');
    b.replace(0, 3, "TAG");
    b.replace(3, 5, "Title");
    b.replace(33, 4, "Band");
    b.replace(93, 4, "1999");
    b[127] = 17;
    return b;
}

struct Id3 : ::testing::Test {
    QTemporaryDir dir;
    ScriptedUi ui;
    QString file(const QString& name) const { return dir.path() + "/" + name; }
};

}  // namespace

TEST_F(Id3, ReadsTagOnlyFromTheLast128Bytes) {
    const QString f = file("t.mp3");
    writeAll(f, QByteArray(500, 'x') + foreignTag());
    ID3v1Tag tag;
    ASSERT_TRUE(ReadID3Tag(f, tag));
    // Fields come back whole, padding included, and the genre as its byte.
    EXPECT_EQ(tag.Title, QString("Title") + QString(25, QChar(0)));
    EXPECT_EQ(tag.Artist.size(), 30);
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Genre, QString(QChar(17)));

    const struct {
        QByteArray bytes;
        bool tagged;
    } files[] = {{QByteArray(500, 'x') + foreignTag() + "y", false},
                 {foreignTag(), true},  // all tag
                 {foreignTag().left(127), false}};
    for (const auto& c : files) {
        writeAll(f, c.bytes);
        EXPECT_EQ(ReadID3Tag(f, tag), c.tagged) << c.bytes.size();
    }
    EXPECT_TRUE(tag.Title.isEmpty()) << "a short file leaves no data from the earlier read";
    EXPECT_FALSE(ReadID3Tag(file("missing.mp3"), tag));
    EXPECT_FALSE(ReadID3Tag(dir.path(), tag));  // a folder is not a file
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(Id3, AppendsThenOverwritesInPlace) {
    const QString f = file("song.mp3");
    const QByteArray audio(1000, 'a');
    writeAll(f, audio);

    ID3v1Tag tag;
    tag.Title = QString(40, 'T');  // cut to 30
    tag.Year = "99";               // padded with spaces
    tag.Genre = GenreCode("Rock");
    ASSERT_TRUE(WriteID3Tag(f, tag));
    EXPECT_EQ(tag.Header, "TAG");
    QByteArray bytes = readAll(f);
    ASSERT_EQ(bytes.size(), 1128);
    EXPECT_EQ(bytes.left(1000), audio);
    EXPECT_EQ(bytes.mid(1000, 33), "TAG" + QByteArray(30, 'T'));
    EXPECT_EQ(bytes.mid(1093, 4), "99  ");
    EXPECT_EQ(bytes.mid(1097, 30), QByteArray(30, ' '));  // empty text is all spaces, not NULs
    EXPECT_EQ(bytes[1127], char(17));

    ID3v1Tag again;
    ASSERT_TRUE(ReadID3Tag(f, again));
    again.Artist = QString::fromUtf8("Beyoncé");  // Latin-1: one byte per character
    ASSERT_TRUE(WriteID3Tag(f, again));
    bytes = readAll(f);
    ASSERT_EQ(bytes.size(), 1128);
    EXPECT_EQ(bytes.left(1000), audio);
    EXPECT_EQ(bytes.mid(1033, 8), QByteArray("Beyonc\xe9 "));
    ASSERT_TRUE(ReadID3Tag(f, again));
    EXPECT_EQ(again.Artist.trimmed(), QString::fromUtf8("Beyoncé"));
}

TEST_F(Id3, FailedWriteTellsTheUserAndLeavesTheFileAlone) {
    const QString f = file("locked.mp3");
    const QByteArray before = QByteArray(300, 'z');
    writeAll(f, before);
    QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);

    ID3v1Tag tag;
    tag.Title = "New";
    EXPECT_FALSE(WriteID3Tag(f, tag));
    EXPECT_EQ(readAll(f), before);
    // The header stays as given, so a retry still appends instead of
    // overwriting the last 128 bytes of the audio.
    EXPECT_TRUE(tag.Header.isEmpty());

    tag.Header = "TAG";
    EXPECT_FALSE(WriteID3Tag(file("gone/missing.mp3"), tag));
    EXPECT_FALSE(QFile::exists(file("gone/missing.mp3")));

    ASSERT_EQ(ui.messages.size(), 2);
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.text, "Velumix cannot save tag information. The file may be Read Only");
        EXPECT_EQ(m.buttons, Seams::Buttons::OK);
    }
}

TEST(Genres, LookupEdgesAndRoundTrip) {
    const struct {
        QString genre;
        const char* name;
    } names[] = {
        {QString(QChar(0)), "Blues"},
        {QString(QChar(125)), "Dance Hall"},
        {QString(QChar(126)), "Unknown Genre Entry"},  // the table's empty slot is not a genre
        {QString(QChar(255)), "Unknown Genre Entry"},
        {QString(), "Unknown Genre Entry"},
        {QString("\x11zz"), "Rock"},  // only the first character counts
    };
    for (const auto& c : names) EXPECT_EQ(GenreName(c.genre), c.name) << c.name;
    // Anything but an exact name is "Other".
    for (const char* name : {"rock", "Rock ", "", "Unknown Genre Entry", "No Such Genre"})
        EXPECT_EQ(GenreCode(name), QString(QChar(12))) << name;
    LoadGenres();
    for (int n = 0; n <= 125; ++n) EXPECT_EQ(GenreCode(GenreName(QString(QChar(n)))), QString(QChar(n)));
}

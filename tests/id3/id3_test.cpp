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

// A tag as another program writes it: NUL padding, genre 17.
QByteArray foreignTag() {
    QByteArray b(128, '\0');
    b.replace(0, 8, "TAGTitle");
    b[127] = 17;
    return b;
}

struct Id3 : ::testing::Test {
    QTemporaryDir dir;
    ScriptedUi ui;
    QString f = dir.path() + "/song.mp3";
};

}  // namespace

// Where a tag must lie is tested through a scan in scanner_test; here what a
// read gives back and what a write leaves in the file.
TEST_F(Id3, ReadKeepsPaddingWriteAppendsThenOverwritesInPlace) {
    const QByteArray audio(1000, 'a');
    writeAll(f, audio);
    ID3v1Tag tag;
    tag.Title = QString(40, 'T');
    tag.Artist = QString::fromUtf8("Beyoncé’s");
    tag.Year = "99";
    tag.Genre = GenreCode("Rock");
    ASSERT_TRUE(WriteID3Tag(f, tag));
    // Cut to 30, Windows-1252, padded with spaces (not NULs), appended.
    QByteArray block = "TAG" + QByteArray(30, 'T') + QByteArray("Beyonc\xe9\x92s").leftJustified(60, ' ') +
                       "99  " + QByteArray(30, ' ') + char(17);
    EXPECT_EQ(readAll(f), audio + block);

    ASSERT_TRUE(ReadID3Tag(f, tag));
    EXPECT_EQ(tag.Artist, FieldText(QString::fromUtf8("Beyoncé’s"), 30));
    tag.Title = "Again";
    ASSERT_TRUE(WriteID3Tag(f, tag));
    EXPECT_EQ(readAll(f), audio + block.replace(3, 30, QByteArray("Again").leftJustified(30)));  // in place

    writeAll(f, audio + foreignTag());
    ASSERT_TRUE(ReadID3Tag(f, tag));
    EXPECT_EQ(tag.Title, "Title" + QString(25, QChar(0)));
    EXPECT_EQ(tag.Genre, QString(QChar(17)));
    for (const QString& none : {dir.path() + "/missing.mp3", dir.path()}) {
        EXPECT_FALSE(ReadID3Tag(none, tag));
        EXPECT_TRUE(tag.Title.isEmpty()) << "nothing may survive from the earlier read";
    }
}

TEST_F(Id3, FailedWriteTellsTheUserAndLeavesTheFileAlone) {
    writeAll(f, QByteArray(300, 'z'));
    QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ID3v1Tag tag;
    EXPECT_FALSE(WriteID3Tag(f, tag));
    EXPECT_EQ(readAll(f), QByteArray(300, 'z'));
    // The header stays as given, so a retry appends rather than overwriting audio.
    EXPECT_TRUE(tag.Header.isEmpty());
    tag.Header = "TAG";
    EXPECT_FALSE(WriteID3Tag(dir.path() + "/gone/x.mp3", tag));
    EXPECT_FALSE(QFile::exists(dir.path() + "/gone/x.mp3"));

    ASSERT_EQ(ui.messages.size(), 2);
    for (const auto& m : ui.messages)
        EXPECT_TRUE(m.text == "Velumix cannot save tag information. The file may be Read Only" &&
                    m.buttons == Seams::Buttons::OK && m.title == "Velumix");
}

TEST(Genres, LookupEdges) {
    const QString unknown = "Unknown Genre Entry";
    const std::pair<QString, QString> names[] = {
        {QString(QChar(0)), "Blues"},        {QString(QChar(117)), "Poweer Ballad"},
        {QString(QChar(125)), "Dance Hall"}, {QString(QChar(126)), unknown},  // the empty slot
        {QString(QChar(255)), unknown},      {QString(), unknown},
    };
    for (const auto& [genre, name] : names) EXPECT_EQ(GenreName(genre), name) << name.toStdString();
    for (const QString& other : {QString("rock"), QString(), unknown, QString("Rock ")})
        EXPECT_EQ(GenreCode(other), QString(QChar(12))) << other.toStdString();  // "Other"
    for (int n = 0; n <= 125; ++n) EXPECT_EQ(GenreCode(GenreName(QString(QChar(n)))), QString(QChar(n)));
}

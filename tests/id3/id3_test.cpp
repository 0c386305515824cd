#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "library/Cp1252.h"
#include "library/ID3Tag.h"
#include "library/ListFile.h"
#include "support/FileSizeLimit.h"
#include "support/SetupFolders.h"

using namespace ID3Tag;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Id3 : ::testing::Test {
    QTemporaryDir dir;
    ScriptedUi ui;
    QString f = dir.path() + "/song.mp3";
};

}  // namespace

// Where a tag must lie is tested through a scan in scanner_test, and a save
// over an existing tag (in place) or a read-only file through the tag editor
// in windows_test; here what a read gives back and what a write appends.
TEST_F(Id3, ReadKeepsPaddingAndWriteAppendsAPaddedBlock) {
    const QByteArray audio(1000, 'a');
    ListFile::WriteAtomically(f, audio);
    ID3v1Tag tag{{}, QString(40, 'T'), QString::fromUtf8("Beyoncé’s"), {}, "1999", {}, GenreCode("Rock")};
    ASSERT_TRUE(WriteID3Tag(f, tag));
    // Cut to 30, Windows-1252, padded with spaces (not NULs), appended.
    QByteArray block = "TAG" + QByteArray(30, 'T') + QByteArray("Beyonc\xe9\x92s").leftJustified(60, ' ') +
                       "1999" + QByteArray(30, ' ') + char(17);
    EXPECT_EQ(readAll(f), audio + block);

    ASSERT_TRUE(ReadID3Tag(f, tag));
    EXPECT_EQ(tag.Artist, FieldText(QString::fromUtf8("Beyoncé’s"), 30));

    // As another program writes it, padded with NULs.
    ListFile::WriteAtomically(f, audio + "TAGTitle" + QByteArray(119, '\0') + char(17));
    ASSERT_TRUE(ReadID3Tag(f, tag));
    EXPECT_EQ(tag.Title + tag.Genre, "Title" + QString(25, QChar(0)) + QChar(17));
    EXPECT_FALSE(ReadID3Tag(dir.path(), tag));
    EXPECT_TRUE(tag.Title.isEmpty()) << "nothing may survive from the earlier read";
}

TEST_F(Id3, FailedWriteTellsTheUserAndLeavesTheFileAlone) {
    ListFile::WriteAtomically(f, QByteArray(300, 'z'));
    ID3v1Tag tag;
    {
        FileSizeLimit diskFull(364);  // half the tag fits
        EXPECT_FALSE(WriteID3Tag(f, tag));
    }
    EXPECT_EQ(readAll(f), QByteArray(300, 'z'));
    // The header stays as given, so a retry appends rather than overwriting audio.
    EXPECT_TRUE(tag.Header.isEmpty());
    tag.Header = "TAG";
    EXPECT_FALSE(WriteID3Tag(dir.path() + "/missing.mp3", tag));
    EXPECT_FALSE(QFile::exists(dir.path() + "/missing.mp3"));
    EXPECT_EQ(Said(ui),
              QStringList(2, "Velumix|0|Velumix cannot save tag information. The file may be Read Only"));
}

TEST(Genres, LookupEdges) {
    QStringList names;
    for (int n : {117, 125, 126, 255, -1}) names << GenreName(n < 0 ? QString() : QString(QChar(n)));
    const QString unknown = "Unknown Genre Entry";  // 126 is the empty slot, -1 no genre at all
    EXPECT_EQ(names, QStringList({"Poweer Ballad", "Dance Hall", unknown, unknown, unknown}));
    for (const QString& other : {QString("rock"), QString(), unknown, QString("Rock ")})
        EXPECT_EQ(GenreCode(other), QString(QChar(12))) << other.toStdString();  // "Other"
    for (int n = 0; n <= 125; ++n) EXPECT_EQ(GenreCode(GenreName(QString(QChar(n)))), QString(QChar(n)));
}

// Each row: a field's bytes as they lie in the tag, and its text. Only bytes
// that are UTF-8 and more than ASCII read as UTF-8; padding stays.
TEST(Id3Utf8, FieldsOfUtf8BytesReadAsUtf8) {
    const std::pair<QByteArray, QString> cases[] = {
        {QByteArray("Caf\xc3\xa9\0\0", 7), QString::fromUtf8("Café") + QString(2, QChar(0))},
        {QByteArray("Caf\xe9  "), QString::fromUtf8("Café  ")},                      // Windows-1252
        {QByteArray("Caf\xc3\xa9") + QByteArray(23, 'x') + QByteArray("\xc3\0", 2),  // cut in two
         QString::fromUtf8("Café") + QString(23, 'x') + QChar(0)},
        {QByteArray(28, 'x') + QByteArray("\xc3\0", 2), QString(28, 'x') + QString::fromUtf8("Ã") + QChar(0)},
        {QByteArray("\xc3\xa9t\xe9  "), QString::fromUtf8("Ã©té  ")},  // not UTF-8 throughout
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Utf8Field(Cp1252::Decode(bytes)), text) << bytes.toHex().data();
}

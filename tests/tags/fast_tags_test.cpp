// The quick tag reader against TagLib, over tags built byte by byte: where it
// answers it must give TagLib's fields, and it must answer for the plain
// layouts (else a scan gains nothing) and step aside for the others.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "library/FastTags.h"

namespace {

using FastTags::Answer;

QByteArray be32(quint32 v, bool synchsafe) {
    if (synchsafe) v = (v & 0x7F) | (v & 0x3F80) << 1 | (v & 0x1FC000) << 2 | (v & 0xFE00000) << 3;
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

QByteArray le32(quint32 v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 4);
}

// An ID3v2 frame; the version decides how its size is written.
QByteArray f(int version, const char* id, const QByteArray& data, const char* flags = "\0\0") {
    return QByteArray(id) + be32(data.size(), version == 4) + QByteArray(flags, 2) + data;
}

QByteArray utf16(const QString& s, bool little) {
    QStringEncoder encode(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
    return (little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF")) + QByteArray(encode(s));
}

QByteArray id3(int version, const QByteArray& frames, char flags = 0) {
    const QByteArray body = frames + QByteArray(64, 0);
    return QByteArray("ID3") + char(version) + '\0' + flags + be32(body.size(), true) + body;
}

// Two MPEG-1 layer III frames, so the audio starts where a reader expects it.
QByteArray audio() {
    QByteArray frame(417, 0);
    frame[0] = char(0xFF), frame[1] = char(0xFB), frame[2] = char(0x90);
    return frame + frame;
}

QByteArray flac(const QList<QPair<int, QByteArray>>& blocks) {
    QByteArray out = "fLaC";
    out += QByteArray(1, 0) + be32(34, false).mid(1) + QByteArray(34, 0);  // stream information
    for (int i = 0; i < blocks.size(); ++i)
        out += QByteArray(1, char(blocks[i].first | (i == blocks.size() - 1 ? 0x80 : 0))) +
               be32(blocks[i].second.size(), false).mid(1) + blocks[i].second;
    return out + QByteArray(100, 'f');
}

QByteArray vorbis(const QList<QByteArray>& fields) {
    QByteArray out = le32(6) + "vendor" + le32(fields.size());
    for (const QByteArray& field : fields) out += le32(field.size()) + field;
    return out;
}

// A text's encoding byte: 0 Latin-1, 1 UTF-16, 2 UTF-16BE, 3 UTF-8.
QByteArray enc(int e) {
    return QByteArray(1, char(e));
}

const QByteArray kNul(1, 0), kLatin = kNul, kPicture(9000, 'p');

struct Case {
    const char* what;
    QByteArray bytes;
    Answer answer;
};

QList<Case> cases() {
    return {
        {"2.3, Latin-1, a genre number in brackets",
         id3(3, f(3, "TIT2", kLatin + "T\xEDtle  ") + f(3, "TPE1", kLatin + "Artist" + kNul + kNul) +
                    f(3, "TALB", kLatin + "Album") + f(3, "TYER", kLatin + "2001") +
                    f(3, "TCON", kLatin + "(17)") + f(3, "COMM", kLatin + "eng" + kNul + "Comment")) +
             audio(),
         Answer::Found},
        {"2.4, UTF-8 and UTF-16BE, two artists, a time in the date, a genre by number and by name",
         id3(4, f(4, "TIT2", enc(3) + "T\xC3\xADtulo \xE6\x9D\xB1") +
                    f(4, "TPE1", enc(3) + "A" + kNul + "B") + f(4, "TDRC", enc(3) + "2001-05-03T10:00") +
                    f(4, "TALB", enc(2) + utf16("Alb", false).mid(2)) +
                    f(4, "TCON", enc(3) + "17" + kNul + "Pop")) +
             audio(),
         Answer::Found},
        {"2.3, UTF-16 both ways; the comment without a description wins",
         id3(3, f(3, "TIT2", enc(1) + utf16("Tïtle", true)) + f(3, "TALB", enc(1) + utf16("Älbum", false)) +
                    f(3, "COMM", enc(1) + "eng" + utf16("desc", true) + kNul + kNul + utf16("first", true)) +
                    f(3, "COMM", enc(1) + "eng" + utf16("", true) + kNul + kNul + utf16("plain", true))) +
             audio(),
         Answer::Found},
        {"2.4, a picture past the first 4 KiB, then the title",
         id3(4, f(4, "APIC", kPicture) + f(4, "TPE2", kLatin + "Band") + f(4, "TIT2", kLatin + "Late")) +
             audio(),
         Answer::Found},
        {"a user frame of another name only",
         id3(3, f(3, "TXXX", kLatin + "MusicBrainz Album Id" + QByteArray(1, 0) + "x")) + audio(),
         Answer::None},
        {"no ID3v2 tag, audio first", audio(), Answer::None},
        {"a user frame named like a field", id3(3, f(3, "TXXX", kLatin + "title" + QByteArray(1, 0) + "x")),
         Answer::Unsure},
        {"2.4, a genre number in brackets", id3(4, f(4, "TCON", kLatin + "(17)")), Answer::Unsure},
        {"a 2.3 date in two frames", id3(3, f(3, "TYER", kLatin + "2001") + f(3, "TDAT", kLatin + "0305")),
         Answer::Unsure},
        {"unsynchronised", id3(3, f(3, "TIT2", kLatin + "T"), char(0x80)), Answer::Unsure},
        {"a compressed frame", id3(3, f(3, "TIT2", kLatin + "T", "\0\x80")), Answer::Unsure},
        {"2.2", id3(2, QByteArray("TT2") + QByteArray(2, 0) + char(2) + kLatin + "T"), Answer::Unsure},
        {"a value of a byte order mark alone",
         id3(3, f(3, "TCON", enc(1) + utf16("", true) + kNul + kNul + utf16("Pop", true))), Answer::Unsure},
        {"UTF-16 without a byte order mark", id3(3, f(3, "TIT2", enc(1) + "T" + kNul)), Answer::Unsure},
        {"an empty comment", id3(3, f(3, "COMM", kLatin + "eng" + QByteArray(1, 0) + " ")), Answer::Unsure},
        {"junk before the audio", "junk" + audio(), Answer::None},
        {"junk and an ID3v1 tag, no audio", QByteArray(2048, 'm') + "TAG" + QByteArray(125, ' '),
         Answer::None},
        {"junk before the tag", "junk" + id3(3, f(3, "TIT2", kLatin + "T")) + audio(), Answer::Unsure},
        {"FLAC",
         flac({{4, vorbis({"TITLE=T\xC3\xADtle", "artist=Artist", "ALBUM=", "DATE=2001", "GENRE=(17)",
                           "DESCRIPTION=Desc", "COMMENT=Other"})}}),
         Answer::Found},
        {"FLAC, a picture before the comments",
         flac({{6, kPicture}, {1, QByteArray(10, 0)}, {4, vorbis({"TITLE=Late", "DATE=abc"})}}),
         Answer::Found},
        {"FLAC, a date alone that is no year", flac({{4, vorbis({"DATE=abc"})}}), Answer::Found},
        {"FLAC without comments", flac({{1, QByteArray(10, 0)}}), Answer::None},
        {"FLAC with an ID3v1 tag", flac({{4, vorbis({"TITLE=T"})}}) + "TAG" + QByteArray(125, ' '),
         Answer::Unsure},
        {"FLAC, a value cut short in its last character", flac({{4, vorbis({"DATE=200\xC6"})}}),
         Answer::Unsure},
        {"FLAC, two comments", flac({{4, vorbis({"COMMENT=a", "COMMENT=b"})}}), Answer::Unsure},
    };
}

}  // namespace

TEST(FastTags, AnswerAsTagLibDoesOrStepAside) {
    QTemporaryDir dir;
    int i = 0;
    for (const Case& c : cases()) {
        const bool isFlac = c.bytes.startsWith("fLaC");
        const QString file = dir.filePath(QStringLiteral("%1.%2").arg(i++).arg(isFlac ? "flac" : "mp3"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(c.bytes) == c.bytes.size());
        out.close();
        const ReadOnlyFile open(file);
        NativeTag::Fields fast, slow;
        const Answer answer = isFlac ? FastTags::Flac(open, fast) : FastTags::Id3v2(open, fast);
        EXPECT_EQ(int(answer), int(c.answer)) << c.what;
        if (answer == Answer::Unsure) continue;
        // Found or None goes with TagLib's true or false: the fields tell them apart.
        isFlac ? NativeTag::ReadThroughTagLib(file, slow) : NativeTag::ReadId3v2(file, slow);
        auto row = [](const NativeTag::Fields& t) {
            QStringList row;  // Null and empty are stored apart
            for (const QString& s : {t.title, t.artist, t.album, t.year, t.comment, t.genre})
                row << (s.isNull() ? "~" : s);
            return row.join('|');
        };
        EXPECT_EQ(row(fast), row(slow)) << c.what;
    }
}

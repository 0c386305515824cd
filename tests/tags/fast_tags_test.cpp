// The quick tag reader against TagLib, over tags built byte by byte: where it
// answers it must give TagLib's fields, and it must answer for the plain
// layouts (else a scan gains nothing) and step aside for the others.
#include <gtest/gtest.h>

#include <QFile>
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
    QByteArray out = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (QChar c : s)
        out += little ? QByteArray(1, char(c.unicode())) + char(c.unicode() >> 8)
                      : QByteArray(1, char(c.unicode() >> 8)) + char(c.unicode());
    return out;
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

const QByteArray kLatin = QByteArray(1, 0);
const QByteArray kPicture = QByteArray(9000, 'p');

struct Case {
    const char* what;
    QByteArray bytes;
    Answer answer;
    bool isFlac = false;
};

QList<Case> cases() {
    const QByteArray comm = kLatin + "eng" + QByteArray(1, 0) + "Comment";
    return {
        {"2.3, Latin-1",
         id3(3, f(3, "TIT2", kLatin + "T\xEDtle  ") + f(3, "TPE1", kLatin + QByteArray("Artist\0\0", 8)) +
                    f(3, "TALB", kLatin + "Album") + f(3, "TYER", kLatin + "2001") +
                    f(3, "TCON", kLatin + "Rock") + f(3, "COMM", comm)) +
             audio(),
         Answer::Found},
        {"2.4, UTF-8, two artists, a time in the date",
         id3(4, f(4, "TIT2", "\x03T\xC3\xADtulo \xE6\x9D\xB1") +
                    f(4, "TPE1",
                      QByteArray("\x03"
                                 "A\0B",
                                 4)) +
                    f(4, "TDRC",
                      "\x03"
                      "2001-05-03T10:00")) +
             audio(),
         Answer::Found},
        {"2.3, UTF-16 both ways; the comment without a description wins",
         id3(3, f(3, "TIT2", "\x01" + utf16("Tïtle", true)) + f(3, "TALB", "\x01" + utf16("Älbum", false)) +
                    f(3, "COMM",
                      "\x01"
                      "eng" +
                          utf16("desc", true) + QByteArray(2, 0) + utf16("first", true)) +
                    f(3, "COMM",
                      "\x01"
                      "eng" +
                          utf16("", true) + QByteArray(2, 0) + utf16("plain", true))) +
             audio(),
         Answer::Found},
        {"2.4, UTF-16BE", id3(4, f(4, "TPE1", QByteArray("\x02\0A\0r\0t", 7))) + audio(), Answer::Found},
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
        {"2.3, a genre number in brackets", id3(3, f(3, "TCON", kLatin + "(17)")) + audio(), Answer::Found},
        {"2.4, a bare genre number and a name",
         id3(4, f(4, "TCON",
                  QByteArray("\x03"
                             "17\0Pop",
                             7))) +
             audio(),
         Answer::Found},
        {"2.4, a genre number in brackets", id3(4, f(4, "TCON", kLatin + "(17)")), Answer::Unsure},
        {"a 2.3 date in two frames", id3(3, f(3, "TYER", kLatin + "2001") + f(3, "TDAT", kLatin + "0305")),
         Answer::Unsure},
        {"unsynchronised", id3(3, f(3, "TIT2", kLatin + "T"), char(0x80)), Answer::Unsure},
        {"a compressed frame", id3(3, f(3, "TIT2", kLatin + "T", "\0\x80")), Answer::Unsure},
        {"2.2", id3(2, QByteArray("TT2") + QByteArray(2, 0) + char(2) + kLatin + "T"), Answer::Unsure},
        {"UTF-16 without a byte order mark", id3(3, f(3, "TIT2", QByteArray("\x01T\0", 3))), Answer::Unsure},
        {"an empty comment", id3(3, f(3, "COMM", kLatin + "eng" + QByteArray(1, 0) + " ")), Answer::Unsure},
        {"junk before the audio", "junk" + audio(), Answer::None},
        {"junk and an ID3v1 tag, no audio", QByteArray(2048, 'm') + "TAG" + QByteArray(125, ' '),
         Answer::None},
        {"junk before the tag", "junk" + id3(3, f(3, "TIT2", kLatin + "T")) + audio(), Answer::Unsure},
        {"FLAC",
         flac({{4, vorbis({"TITLE=T\xC3\xADtle", "artist=Artist", "ALBUM=", "DATE=2001", "GENRE=(17)",
                           "DESCRIPTION=Desc", "COMMENT=Other"})}}),
         Answer::Found, true},
        {"FLAC, a picture before the comments",
         flac({{6, kPicture}, {1, QByteArray(10, 0)}, {4, vorbis({"TITLE=Late", "DATE=abc"})}}),
         Answer::Found, true},
        {"FLAC, a date alone that is no year", flac({{4, vorbis({"DATE=abc"})}}), Answer::Found, true},
        {"FLAC without comments", flac({{1, QByteArray(10, 0)}}), Answer::None, true},
        {"FLAC with an ID3v1 tag", flac({{4, vorbis({"TITLE=T"})}}) + "TAG" + QByteArray(125, ' '),
         Answer::Unsure, true},
        {"FLAC, a value cut short in its last character", flac({{4, vorbis({"DATE=200\xC6"})}}),
         Answer::Unsure, true},
        {"FLAC, two comments", flac({{4, vorbis({"COMMENT=a", "COMMENT=b"})}}), Answer::Unsure, true},
    };
}

}  // namespace

TEST(FastTags, AnswerAsTagLibDoesOrStepAside) {
    QTemporaryDir dir;
    int i = 0;
    for (const Case& c : cases()) {
        const QString file = dir.filePath(QStringLiteral("%1.%2").arg(i++).arg(c.isFlac ? "flac" : "mp3"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(c.bytes) == c.bytes.size());
        out.close();
        const FastTags::OpenFile open(file);
        NativeTag::Fields fast, slow;
        const Answer answer = c.isFlac ? FastTags::Flac(open, fast) : FastTags::Id3v2(open, fast);
        EXPECT_EQ(int(answer), int(c.answer)) << c.what;
        if (answer == Answer::Unsure) continue;
        const bool found =
            c.isFlac ? NativeTag::ReadThroughTagLib(file, slow) : NativeTag::ReadId3v2(file, slow);
        EXPECT_EQ(answer == Answer::Found, found) << c.what;
        auto row = [](const NativeTag::Fields& t) {
            QStringList row;  // Null and empty are stored apart
            for (const QString& s : {t.title, t.artist, t.album, t.year, t.comment, t.genre})
                row << (s.isNull() ? "~" : s);
            return row.join('|');
        };
        EXPECT_EQ(row(fast), row(slow)) << c.what;
    }
}

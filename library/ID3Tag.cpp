#include "library/ID3Tag.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

#include "library/Cp1252.h"
#include "library/ReadOnlyFile.h"
#include "seams/Seams.h"

namespace ID3Tag {

QString GenreList[127];

namespace {

constexpr int kTagSize = 128;

// Field layout inside the 128-byte block: offset and width.
struct Field {
    QString ID3v1Tag::*member;
    int offset;
    int width;
};
constexpr Field kFields[] = {
    {&ID3v1Tag::Header, 0, 3},  {&ID3v1Tag::Title, 3, 30}, {&ID3v1Tag::Artist, 33, 30},
    {&ID3v1Tag::Album, 63, 30}, {&ID3v1Tag::Year, 93, 4},  {&ID3v1Tag::Comment, 97, 30},
    {&ID3v1Tag::Genre, 127, 1},
};

// The names as the library stores them; some differ from the usual spellings on
// purpose, since existing libraries hold exactly these texts.
const char* const kGenres[126] = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "InstrumentalRock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock&Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Brass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Poweer Ballad",
    "Rhytmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A Capela",
    "Euro-House",
    "Dance Hall",
};

void ensureGenres() {
    if (GenreList[0].isEmpty()) LoadGenres();
}

}  // namespace

QString FieldText(const QString& text, int width) {
    return text.left(width).leftJustified(width, ' ');
}

QString Unpadded(const QString& field) {
    return field.left(field.indexOf(QChar(0))).trimmed();
}

void LoadGenres() {
    for (int i = 0; i < 126; ++i) GenreList[i] = QString::fromLatin1(kGenres[i]);
    GenreList[126].clear();
}

QString GenreName(const QString& genre) {
    ensureGenres();
    const int n = genre.isEmpty() ? 255 : genre[0].unicode();
    if (n <= 125) return GenreList[n];
    return QStringLiteral("Unknown Genre Entry");
}

QString GenreCode(const QString& name) {
    ensureGenres();
    for (int n = 0; n <= 125; ++n)
        if (GenreList[n] == name) return QString(QChar(n));
    return QString(QChar(12));
}

bool ReadID3Tag(const QString& file, ID3v1Tag& tag) {
    return ReadID3Tag(ReadOnlyFile(file, 0), tag);
}

bool ReadID3Tag(const ReadOnlyFile& file, ID3v1Tag& tag) {
    tag = ID3v1Tag();
    QByteArray block;
    if (!file.read(file.size() - kTagSize, kTagSize, block)) return false;
    for (const Field& fd : kFields) tag.*fd.member = Cp1252::Decode(block.constData() + fd.offset, fd.width);
    return tag.Header == QLatin1String("TAG");
}

bool CanStore(const ID3v1Tag& tag) {
    QString lost;
    for (const Field& fd : kFields)
        for (const QChar c : Cp1252::Unencodable(FieldText(tag.*fd.member, fd.width)))
            if (!lost.contains(c)) lost += c;
    if (lost.isEmpty()) return true;
    Seams::MsgBox(QStringLiteral("Velumix cannot store these characters in a tag: ") + lost);
    return false;
}

QString Utf8Field(const QString& field) {
    QByteArray bytes;
    if (!Cp1252::Encode(field, bytes) ||
        std::none_of(bytes.cbegin(), bytes.cend(), [](char c) { return c & 0x80; }))
        return field;
    // The padding after the text stays as it is. A tagger that cut the text
    // at the field's width (leaving at most a closing NUL) may have cut its
    // last character in two.
    qsizetype padding = bytes.size();
    while (padding > 0 && (bytes[padding - 1] == '\0' || bytes[padding - 1] == ' ')) --padding;
    qsizetype end = padding, lead = end;
    while (lead > 0 && end - lead < 3 && (uchar(bytes[lead - 1]) & 0xC0) == 0x80) --lead;
    if (bytes.size() - padding <= 1 && lead > 0 && (uchar(bytes[lead - 1]) & 0xC0) == 0xC0) {
        const uchar c = bytes[lead - 1];
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (end - lead + 1 < length) end = lead - 1;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes.left(end));
    const bool wide = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80; });
    return utf8.hasError() || !wide ? field : text + Cp1252::Decode(bytes.mid(padding));
}

bool WriteID3Tag(const QString& file, ID3v1Tag& tag) {
    if (!CanStore(tag)) return false;
    if (!StoreID3Tag(file, tag)) {
        Seams::MsgBox(QStringLiteral("Velumix cannot save tag information. The file may be Read Only"));
        return false;
    }
    return true;
}

bool StoreID3Tag(const QString& file, ID3v1Tag& tag) {
    const bool append = tag.Header != QLatin1String("TAG");
    QByteArray block(kTagSize, ' ');
    for (const Field& fd : kFields) {
        const QString text =
            fd.member == &ID3v1Tag::Header ? QStringLiteral("TAG") : FieldText(tag.*fd.member, fd.width);
        QByteArray bytes;
        for (const QChar c : text) {
            QByteArray one;
            bytes += Cp1252::Encode(QString(c), one) ? one : QByteArray("?");
        }
        block.replace(fd.offset, fd.width, bytes);
    }
    bool ok = false;
    QFile f(file);
    // Never create a file: a missing file is a failure like a read-only one. A file
    // without any write permission counts as read-only even for the superuser.
    // (The mode bits only: the "User" bit reflects the superuser's override.)
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    // Unbuffered, so that a full disk shows in write()'s count while the file is
    // still open: an appended tag cut short is then cut off again, not left as
    // junk at the end of the song.
    if (f.exists() && (f.permissions() & anyWrite) && f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        const qint64 length = f.size();
        const qint64 at = append ? length : length - kTagSize;
        ok = at >= 0 && f.seek(at) && f.write(block) == kTagSize;
        if (!ok && append && at >= 0) f.resize(length);
        f.close();
        ok = ok && f.error() == QFileDevice::NoError;
    }
    if (ok) tag.Header = QStringLiteral("TAG");
    return ok;
}

}  // namespace ID3Tag

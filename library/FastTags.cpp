#include "library/FastTags.h"

#include <taglib/id3v1genres.h>

#include <QFile>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <optional>

namespace FastTags {

namespace {
// A larger tag is read by TagLib: at this size it is pictures, not text.
constexpr qint64 kMaxTag = 16 << 20;
}  // namespace

namespace {

using Bytes = QByteArrayView;

uchar at(Bytes b, qsizetype i) {
    return uchar(b[i]);
}

quint32 bigEndian(Bytes b, qsizetype i) {
    return quint32(at(b, i)) << 24 | quint32(at(b, i + 1)) << 16 | quint32(at(b, i + 2)) << 8 | at(b, i + 3);
}

quint32 littleEndian(Bytes b, qsizetype i) {
    return quint32(at(b, i + 3)) << 24 | quint32(at(b, i + 2)) << 16 | quint32(at(b, i + 1)) << 8 | at(b, i);
}

// Seven bits a byte, as ID3v2 stores sizes; nullopt when a byte has its top bit.
std::optional<quint32> synchsafe(Bytes b, qsizetype i) {
    quint32 v = 0;
    for (qsizetype k = i; k < i + 4; ++k) {
        if (at(b, k) & 0x80) return std::nullopt;
        v = v << 7 | at(b, k);
    }
    return v;
}

// TagLib passes a byte order mark inside a text through, and may break on a
// lone surrogate; texts holding either go to TagLib.
bool plain(const QString& s) {
    return std::none_of(s.begin(), s.end(),
                        [](QChar c) { return c.isSurrogate() || c == QChar(0xFEFF) || c == QChar(0xFFFE); });
}

QString upToNull(QString s) {
    const qsizetype end = s.indexOf(QChar(0));
    if (end >= 0) s.truncate(end);
    return s;
}

// One text in an ID3v2 encoding (0 Latin-1, 1 UTF-16 with a byte order mark,
// 2 UTF-16BE, 3 UTF-8), up to its first null; nullopt when TagLib could read
// it otherwise.
std::optional<QString> decode(Bytes b, int encoding) {
    if (b.isEmpty()) return QString();
    QString s;
    if (encoding == 0) {
        s = QString::fromLatin1(b.data(), qsizetype(strnlen(b.data(), b.size())));
    } else if (encoding == 3) {
        // Stateless: a sequence cut short at the end is an error, not kept for more.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        s = utf8(b);
        if (utf8.hasError()) return std::nullopt;
    } else {
        if (b.size() % 2) return std::nullopt;
        bool little = false;
        qsizetype from = 0;
        if (encoding == 1) {
            if (at(b, 0) == 0xFF && at(b, 1) == 0xFE)
                little = true;
            else if (at(b, 0) != 0xFE || at(b, 1) != 0xFF)
                return std::nullopt;
            from = 2;
        }
        for (qsizetype i = from; i < b.size(); i += 2)
            s += QChar(little ? at(b, i) | at(b, i + 1) << 8 : at(b, i) << 8 | at(b, i + 1));
    }
    s = upToNull(s);
    if (!plain(s)) return std::nullopt;
    return s;
}

int alignOf(int encoding) {
    return encoding == 0 || encoding == 3 ? 1 : 2;
}

// Where the next null of the encoding starts, at or after from; -1 when none.
qsizetype nextNull(Bytes b, qsizetype from, int align) {
    for (qsizetype i = from; i + align <= b.size(); i += align)
        if (b[i] == 0 && (align == 1 || b[i + 1] == 0)) return i;
    return -1;
}

// A text frame's values, split at nulls with trailing nulls dropped; empty
// values are left out, except a user frame's first (its description).
bool textValues(Bytes d, bool userFrame, QStringList& out) {
    out.clear();
    if (d.size() < 2) return true;
    const int encoding = at(d, 0);
    if (encoding > 3) return false;
    const int align = alignOf(encoding);
    qsizetype len = d.size() - 1;
    while (len > 0 && d[len] == 0) --len;
    while (len % align) ++len;
    const Bytes body = d.sliced(1, std::min(len, d.size() - 1));
    qsizetype start = 0;
    bool first = true;
    auto take = [&](Bytes value) {
        const bool description = first && userFrame;
        first = false;
        if (value.isEmpty() && !description) return true;
        const std::optional<QString> s = decode(value, encoding);
        // A byte order mark alone: TagLib may leave such a value out.
        if (!s || (s->isEmpty() && !description)) return false;
        out << *s;
        return true;
    };
    for (qsizetype end = nextNull(body, 0, align); end >= 0; end = nextNull(body, start, align)) {
        if (!take(body.sliced(start, end - start))) return false;
        start = end + align;
    }
    return start >= body.size() || take(body.sliced(start));
}

struct Comment {
    bool described = false;
    QString text;
};

// A comment frame: encoding, language, description, null, text.
bool commentOf(Bytes d, Comment& c) {
    c = {};
    if (d.size() < 5) return true;  // TagLib reads it as empty
    const int encoding = at(d, 0);
    if (encoding > 3) return false;
    const int align = alignOf(encoding);
    const Bytes rest = d.sliced(4);
    const qsizetype end = nextNull(rest, 0, align);
    if (end < 0 || end + align >= rest.size()) return true;
    const std::optional<QString> description = decode(rest.first(end), encoding);
    const std::optional<QString> text = decode(rest.sliced(end + align), encoding);
    if (!description || !text) return false;
    c = {!description->isEmpty(), *text};
    return true;
}

bool validFrameId(Bytes b, qsizetype i) {
    if (i < 0 || i + 4 > b.size()) return false;
    for (qsizetype k = i; k < i + 4; ++k)
        if (!(b[k] >= 'A' && b[k] <= 'Z') && !(b[k] >= '0' && b[k] <= '9')) return false;
    return true;
}

// The fields in NativeTag::Fields order; the comment is kept apart.
enum Key { Title, Artist, Album, Date, Genre, Keys };

struct Frames {
    QStringList values[Keys];
    bool seen[Keys] = {};
    QList<Comment> comments;
};

// Frames that TagLib merges into the date, or drops from a 2.3 tag.
bool mergedOrDropped(Bytes id) {
    for (const char* other : {"TDAT", "TIME", "TRDA", "TSIZ", "EQUA", "RVAD"})
        if (id == Bytes(other)) return true;
    return false;
}

// User frames whose description TagLib turns into one of the fields.
bool namesAField(const QString& description) {
    const QString key = description.toUpper();
    for (const char* field : {"TITLE", "ARTIST", "ALBUM", "DATE", "GENRE", "COMMENT", "DESCRIPTION"})
        if (key == QLatin1String(field)) return true;
    return false;
}

// An ID3v1 genre number of at most three digits.
bool genreNumber(const QString& s, int& n) {
    if (s.isEmpty() || s.size() > 3 ||
        !std::all_of(s.begin(), s.end(), [](QChar c) { return c >= '0' && c <= '9'; }))
        return false;
    n = s.toInt();
    return n <= 255;
}

// A genre frame's values as TagLib reads them: "(17)" and "(17)Rock" are
// taken apart, and a number stands for an ID3v1 genre, named by TagLib's
// table; false for a form it could read otherwise.
bool genreValues(QStringList& values, int version) {
    QStringList out;
    for (const QString& s : values) {
        const qsizetype end = s.indexOf(')');
        if (!s.startsWith('(') || end < 0) {
            out << s;
            continue;
        }
        int n = 0;
        const QString inner = s.mid(1, end - 1), text = s.mid(end + 1);
        if (version == 4 || !genreNumber(inner, n)) return false;
        if (TStringToQString(TagLib::ID3v1::genre(n)) != text) out << inner;
        if (!text.isEmpty()) out << text;
    }
    for (QString& v : out) {
        int n = 0;
        if (genreNumber(v, n))
            v = TStringToQString(TagLib::ID3v1::genre(n));
        else if (!v.isEmpty() && (v[0].isDigit() || v[0].isSpace() || v[0] == '+' || v[0] == '-'))
            return false;
    }
    values = out;
    return true;
}

int keyOf(Bytes id, int version) {
    if (id == "TIT2") return Title;
    if (id == "TPE1") return Artist;
    if (id == "TALB") return Album;
    if (id == (version == 3 ? "TYER" : "TDRC")) return Date;
    if (id == "TCON") return Genre;
    return -1;
}

// One frame into frames; false when TagLib could read it otherwise.
bool takeFrame(Bytes id, Bytes data, int version, Frames& frames) {
    if (mergedOrDropped(id) || id == (version == 3 ? "TDRC" : "TYER")) return false;
    if (id == "COMM") {
        Comment c;
        if (!commentOf(data, c)) return false;
        frames.comments << c;
        return true;
    }
    QStringList values;
    if (id == "TXXX") return textValues(data, true, values) && (values.isEmpty() || !namesAField(values[0]));
    const int key = keyOf(id, version);
    if (key < 0) return true;  // a frame that fills none of the fields
    if (frames.seen[key] || !textValues(data, false, values)) return false;
    frames.seen[key] = true;
    if (key == Genre && !genreValues(values, version)) return false;
    for (QString& v : values)
        if (key == Date && v.contains('T')) v[v.indexOf('T')] = ' ';
    frames.values[key] = values;
    return true;
}

// The frames of a 2.3 or 2.4 tag without flags; false when not so plain.
bool readFrames(Bytes tag, int version, Frames& frames) {
    const qsizetype len = tag.size();
    if (len <= 10) return false;
    for (qsizetype pos = 0; pos < len - 10;) {
        if (tag[pos] == 0) break;  // padding
        if (!validFrameId(tag, pos) || tag[pos + 8] != 0 || tag[pos + 9] != 0) return false;
        quint32 size = bigEndian(tag, pos + 4);
        if (version == 4) {
            const std::optional<quint32> safe = synchsafe(tag, pos + 4);
            // Some writers put plain sizes in 2.4 frames, and TagLib then guesses.
            if (!safe || (*safe != size && validFrameId(tag, pos + 10 + qsizetype(size)))) return false;
            size = *safe;
        }
        if (size == 0 || qsizetype(size) > len - pos - 10) return false;
        if (!takeFrame(tag.sliced(pos, 4), tag.sliced(pos + 10, size), version, frames)) return false;
        pos += 10 + size;
    }
    return true;
}

// TagLib's reading leaves a field null when the tag lacks it and empty when
// the tag has it empty, and the library stores the one as Null, the other as
// ''; so must this.
QString text(const QStringList& values, bool present) {
    if (!present) return QString();
    const QString t = values.join(QStringLiteral(", ")).trimmed();
    return t.isEmpty() ? QString(QLatin1String("")) : t;
}

Answer fill(NativeTag::Fields& out, const QStringList (&values)[Keys], const bool (&present)[Keys],
            const QString& comment) {
    out = {text(values[Title], present[Title]),
           text(values[Artist], present[Artist]),
           text(values[Album], present[Album]),
           text(values[Date], present[Date]),
           text({comment}, true),
           NativeTag::GenreText(text(values[Genre], present[Genre]))};
    for (const QString* s : {&out.title, &out.artist, &out.album, &out.year, &out.comment, &out.genre})
        if (!s->isEmpty()) return Answer::Found;
    return Answer::None;
}

// An MPEG audio frame header at offset, and the next one where its length
// says, with the same version, layer and rate: TagLib's test of a frame.
bool audioFrameAt(const ReadOnlyFile& file, qint64 offset) {
    QByteArray h;
    if (!file.read(offset, 4, h) || at(h, 0) != 0xFF || at(h, 1) == 0xFF || (at(h, 1) & 0xE0) != 0xE0)
        return false;
    const int versionBits = at(h, 1) >> 3 & 3, layerBits = at(h, 1) >> 1 & 3;
    if (versionBits == 1 || layerBits == 0) return false;
    const int version = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;  // MPEG-1, 2, 2.5
    const int layer = 4 - layerBits;
    static const int kBitrates[2][3][16] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
    static const int kRates[3][4] = {
        {44100, 48000, 32000, 0}, {22050, 24000, 16000, 0}, {11025, 12000, 8000, 0}};
    static const int kSamples[3][2] = {{384, 384}, {1152, 1152}, {1152, 576}};
    const int bitrate = kBitrates[version == 0 ? 0 : 1][layer - 1][at(h, 2) >> 4];
    const int rate = kRates[version][at(h, 2) >> 2 & 3];
    if (bitrate == 0 || rate == 0) return false;
    qint64 length = qint64(kSamples[layer - 1][version == 0 ? 0 : 1]) * bitrate * 125 / rate;
    if (at(h, 2) & 2) length += layer == 1 ? 4 : 1;
    QByteArray next;
    constexpr quint32 kSame = 0xfffe0c00;
    return file.read(offset + length, 4, next) && (bigEndian(h, 0) & kSame) == (bigEndian(next, 0) & kSame);
}

// TagLib looks for an ID3v2 tag from the start of the file up to its first
// audio frame: None when the first 4 KiB show a frame before any "ID3".
Answer tagBeforeAudio(const ReadOnlyFile& file) {
    const QByteArray& h = file.head();
    for (qsizetype i = 1; i < h.size(); ++i) {
        if (at(h, i - 1) == 0xFF && audioFrameAt(file, i - 1)) return Answer::None;
        if (i >= 2 && h[i - 2] == 'I' && h[i - 1] == 'D' && h[i] == '3') return Answer::Unsure;
    }
    return h.size() == file.size() ? Answer::None : Answer::Unsure;
}

}  // namespace

Answer Id3v2(const ReadOnlyFile& file, NativeTag::Fields& out) {
    out = {};
    const QByteArray& h = file.head();
    if (!h.startsWith("ID3")) return tagBeforeAudio(file);
    const int version = h.size() >= 10 ? at(h, 3) : 0;
    const std::optional<quint32> size = h.size() >= 10 ? synchsafe(h, 6) : std::nullopt;
    if ((version != 3 && version != 4) || h[5] != 0 || !size || *size == 0 || *size > kMaxTag)
        return Answer::Unsure;
    QByteArray tag;
    Frames frames;
    if (!file.read(10, *size, tag) || !readFrames(tag, version, frames)) return Answer::Unsure;
    QString comment;
    if (!frames.comments.isEmpty()) {
        // The first comment without a description, else the first.
        const auto plainOne = std::find_if(frames.comments.cbegin(), frames.comments.cend(),
                                           [](const Comment& c) { return !c.described; });
        comment = (plainOne != frames.comments.cend() ? *plainOne : frames.comments.front()).text;
        // An empty one makes TagLib look among the other comments.
        if (comment.trimmed().isEmpty()) return Answer::Unsure;
    }
    return fill(out, frames.values, frames.seen, comment);
}

namespace {

// A Vorbis comment block's fields, as TagLib keeps them: keys upper-cased,
// values in order; false when TagLib could read it otherwise.
bool vorbisFields(Bytes d, QStringList (&values)[Keys], QStringList& comments, QStringList& descriptions) {
    if (d.size() < 8) return false;
    const qint64 vendor = littleEndian(d, 0);
    if (vendor > d.size() - 8) return false;
    qsizetype pos = 4 + vendor;
    const qint64 count = littleEndian(d, pos);
    pos += 4;
    if (count > (d.size() - 8) / 4) return false;
    static const char* const kNames[Keys] = {"TITLE", "ARTIST", "ALBUM", "DATE", "GENRE"};
    for (qint64 i = 0; i < count; ++i) {
        if (pos + 4 > d.size()) return false;
        const qint64 length = littleEndian(d, pos);
        pos += 4;
        if (length > d.size() - pos) return false;  // TagLib reads such lengths in odd ways
        const Bytes entry = d.sliced(pos, length);
        pos += length;
        const qsizetype sep = entry.indexOf('=');
        if (sep < 1) continue;
        const QByteArray key = entry.first(sep).toByteArray().toUpper();
        if (std::any_of(key.begin(), key.end(), [](char c) { return c == 0; })) return false;
        if (std::any_of(key.begin(), key.end(), [](char c) { return uchar(c) < 0x20 || uchar(c) > 0x7D; }))
            continue;
        const std::optional<QString> value = decode(entry.sliced(sep + 1), 3);
        if (!value) return false;
        if (value->isEmpty()) continue;
        for (int k = 0; k < Keys; ++k)
            if (key == kNames[k]) values[k] << *value;
        if (key == "COMMENT") comments << *value;
        if (key == "DESCRIPTION") descriptions << *value;
    }
    return true;
}

}  // namespace

Answer Flac(const ReadOnlyFile& file, NativeTag::Fields& out) {
    out = {};
    QByteArray tail, header, comments;
    if (!file.head().startsWith("fLaC")) return Answer::Unsure;
    // An ID3v1 tag at the end joins the FLAC tag in TagLib's reading.
    if (file.read(file.size() - 128, 3, tail) && tail == "TAG") return Answer::Unsure;
    bool found = false;
    for (qint64 pos = 4, block = 0;; ++block) {
        if (!file.read(pos, 4, header)) return Answer::Unsure;
        const int type = at(header, 0) & 0x7F;
        const qint64 length = bigEndian(header, 0) & 0xFFFFFF;
        // TagLib takes a file as broken without stream information first, or
        // with an empty block other than padding or a seek table.
        if ((block == 0 && type != 0) || (length == 0 && type != 1 && type != 3)) return Answer::Unsure;
        if (type == 4 && !found) {
            if (!file.read(pos + 4, length, comments)) return Answer::Unsure;
            found = true;
        } else if (length > file.size() - pos - 4) {
            return Answer::Unsure;
        }
        pos += 4 + length;
        if (at(header, 0) & 0x80) break;
    }
    QStringList values[Keys], commentValues, descriptions;
    if (found && !vorbisFields(comments, values, commentValues, descriptions)) return Answer::Unsure;
    // TagLib's comment is the description, else the comment; it joins more
    // than one of either another way, and an empty one sends it looking on.
    const QStringList& comment = descriptions.isEmpty() ? commentValues : descriptions;
    if (comment.size() > 1 || (comment.size() == 1 && comment[0].trimmed().isEmpty())) return Answer::Unsure;
    bool present[Keys];
    for (int k = 0; k < Keys; ++k) present[k] = !values[k].isEmpty();
    return fill(out, values, present, comment.value(0));
}

}  // namespace FastTags

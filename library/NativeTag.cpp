#include "library/NativeTag.h"

#include <taglib/fileref.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/tfilestream.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <QFile>
#include <QRegularExpression>
#include <functional>

#include "seams/Seams.h"
#include "library/FastTags.h"
#include "library/FileRewrite.h"
#include "library/ID3Tag.h"

namespace NativeTag {

namespace {

// TagLib's common keys, in the order of Fields. The comment goes through the
// plain tag interface instead: it knows that Vorbis comments may carry it as
// DESCRIPTION and ASF files in their content description.
constexpr const char* kKeys[] = {"TITLE", "ARTIST", "ALBUM", "DATE", nullptr, "GENRE"};

QString* fieldOf(Fields& f, int i) {
    QString* all[] = {&f.title, &f.artist, &f.album, &f.year, &f.comment, &f.genre};
    return all[i];
}

QString fromTag(const TagLib::StringList& values) {
    return QString::fromStdString(values.toString(", ").to8Bit(true)).trimmed();
}

TagLib::String toTag(const QString& text) {
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

}  // namespace

QString GenreText(const QString& genre) {
    static const QRegularExpression number(QStringLiteral("^\\(?(\\d{1,3})\\)?$"));
    const QRegularExpressionMatch m = number.match(genre);
    if (!m.hasMatch() || m.captured(1).toInt() > 255) return genre;
    return ID3Tag::GenreName(QString(QChar(m.captured(1).toInt())));
}

namespace {

QByteArray pathOf(const QString& file) {
    return QFile::encodeName(file);
}

TagLib::FileRef open(const QString& file) {
    // Audio properties are not needed, and skipping them spares a walk through the stream.
    return TagLib::FileRef(pathOf(file).constData(), false);
}

bool fieldsOf(const TagLib::PropertyMap& props, const TagLib::Tag* tag, Fields& out) {
    out = Fields();
    bool any = false;
    for (int i = 0; i < 6; ++i) {
        const auto it = kKeys[i] ? props.find(kKeys[i]) : props.end();
        if (kKeys[i] && it != props.end())
            *fieldOf(out, i) = fromTag(it->second);
        else if (!kKeys[i])
            out.comment = fromTag(tag->comment());
        // Some taggers keep the comment in a free-form entry under one of these names.
        for (const char* key : {"COMMENT", "DESCRIPTION"})
            if (!kKeys[i] && out.comment.isEmpty() && props.contains(key)) out.comment = fromTag(props[key]);
        any = any || !fieldOf(out, i)->isEmpty();
    }
    out.genre = GenreText(out.genre);
    return any;
}

// Puts the six texts into props and the tag's comment; false when the format
// refuses one of them, which would lose that field.
bool setFields(TagLib::PropertyMap props, const Fields& in,
               const std::function<TagLib::PropertyMap(const TagLib::PropertyMap&)>& apply,
               TagLib::Tag* tag) {
    Fields copy = in;
    for (int i = 0; i < 6; ++i) {
        const QString text = fieldOf(copy, i)->trimmed();
        if (!kKeys[i])
            continue;
        else if (text.isEmpty())
            props.erase(kKeys[i]);
        else
            props.replace(kKeys[i], TagLib::StringList(toTag(text)));
    }
    const bool ok = apply(props).isEmpty();
    tag->setComment(toTag(copy.comment.trimmed()));
    return ok;
}

bool isMpeg(const TagLib::FileRef& ref) {
    return dynamic_cast<TagLib::MPEG::File*>(ref.file()) != nullptr;
}

}  // namespace

bool Read(const QString& file, Fields& out) {
    if (file.endsWith(QLatin1String(".flac"), Qt::CaseInsensitive)) {
        const ReadOnlyFile open(file);
        const FastTags::Answer fast = FastTags::Flac(open, out);
        if (fast != FastTags::Answer::Unsure) return fast == FastTags::Answer::Found;
    }
    return ReadThroughTagLib(file, out);
}

bool ReadThroughTagLib(const QString& file, Fields& out) {
    out = Fields();
    // Read-only: a file opened for writing is reported as written when closed,
    // and a watched folder would then be rescanned for a mere read.
    TagLib::FileStream stream(pathOf(file).constData(), true);
    if (!stream.isOpen()) return false;
    const TagLib::FileRef ref(&stream, false);
    if (ref.isNull()) return false;
    return fieldsOf(ref.file()->properties(), ref.tag(), out);
}

bool ReadId3v2(const QString& file, Fields& out) {
    out = Fields();
    TagLib::FileStream stream(pathOf(file).constData(), true);  // read-only, as in Read()
    if (!stream.isOpen()) return false;
    TagLib::MPEG::File mp3(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!mp3.isValid() || !mp3.hasID3v2Tag()) return false;
    TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag();
    return fieldsOf(tag->properties(), tag, out);
}

bool Store(const QString& file, const Fields& in) {
    TagLib::FileRef ref = open(file);
    if (ref.isNull() || ref.file()->readOnly()) return false;
    if (isMpeg(ref)) {
        // Only the ID3v2 tag: the ID3v1 tag is the caller's, in its own code page.
        auto* mp3 = static_cast<TagLib::MPEG::File*>(ref.file());
        TagLib::ID3v2::Tag* tag = mp3->ID3v2Tag(true);
        const auto version = tag->header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
        const bool ok = setFields(
            tag->properties(), in, [tag](const TagLib::PropertyMap& p) { return tag->setProperties(p); },
            tag);
        return ok && mp3->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                               TagLib::File::DoNotDuplicate);
    }
    TagLib::File* f = ref.file();
    const bool ok = setFields(
        f->properties(), in, [f](const TagLib::PropertyMap& p) { return f->setProperties(p); }, ref.tag());
    return ok && ref.save();
}

bool Write(const QString& file, const Fields& in) {
    const bool ok = FileRewrite::Replace(file, [&in](const QString& copy) { return Store(copy, in); });
    if (!ok) Seams::MsgBox(QStringLiteral("Velumix cannot save tag information. The file may be Read Only"));
    return ok;
}

}  // namespace NativeTag

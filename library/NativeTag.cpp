#include "library/NativeTag.h"

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <QFile>
#include <QRegularExpression>

#include "seams/Seams.h"
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

// Older taggers store a genre as its ID3v1 number, bare or as "(17)".
QString genreName(const QString& genre) {
    static const QRegularExpression number(QStringLiteral("^\\(?(\\d{1,3})\\)?$"));
    const QRegularExpressionMatch m = number.match(genre);
    if (!m.hasMatch() || m.captured(1).toInt() > 255) return genre;
    return ID3Tag::GenreName(QString(QChar(m.captured(1).toInt())));
}

TagLib::FileRef open(const QString& file) {
    // Audio properties are not needed, and skipping them spares a walk through the stream.
    return TagLib::FileRef(QFile::encodeName(file).constData(), false);
}

}  // namespace

bool Read(const QString& file, Fields& out) {
    out = Fields();
    const TagLib::FileRef ref = open(file);
    if (ref.isNull()) return false;
    const TagLib::PropertyMap props = ref.file()->properties();
    bool any = false;
    for (int i = 0; i < 6; ++i) {
        const auto it = kKeys[i] ? props.find(kKeys[i]) : props.end();
        if (kKeys[i] && it != props.end())
            *fieldOf(out, i) = fromTag(it->second);
        else if (!kKeys[i])
            out.comment = fromTag(ref.tag()->comment());
        // Some taggers keep the comment in a free-form entry under one of these names.
        for (const char* key : {"COMMENT", "DESCRIPTION"})
            if (!kKeys[i] && out.comment.isEmpty() && props.contains(key)) out.comment = fromTag(props[key]);
        any = any || !fieldOf(out, i)->isEmpty();
    }
    out.genre = genreName(out.genre);
    return any;
}

bool Write(const QString& file, const Fields& in) {
    // The mode bits decide, as for ID3v1 tags: the superuser would write anyway.
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    bool ok = false;
    if (QFile::exists(file) && (QFile::permissions(file) & anyWrite)) {
        TagLib::FileRef ref = open(file);
        if (!ref.isNull() && !ref.file()->readOnly()) {
            TagLib::PropertyMap props = ref.file()->properties();
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
            // A format that refuses one of the six would lose that field: count it as failed.
            ok = ref.file()->setProperties(props).isEmpty();
            ref.tag()->setComment(toTag(copy.comment.trimmed()));
            ok = ok && ref.save();
        }
    }
    if (!ok) Seams::MsgBox(QStringLiteral("Velumix cannot save tag information. The file may be Read Only"));
    return ok;
}

}  // namespace NativeTag

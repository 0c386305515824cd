#include "library/Mp3Tags.h"

#include "library/FastTags.h"

namespace Mp3Tags {

bool Read(const QString& file, NativeTag::Fields& out, ID3Tag::ID3v1Tag& v1) {
    using ID3Tag::Utf8Field;
    // One open for both tags: a scan reads tens of thousands of files.
    const ReadOnlyFile open(file);
    const bool hasV1 = ID3Tag::ReadID3Tag(open, v1);
    NativeTag::Fields old;
    if (hasV1)
        old = {Utf8Field(v1.Title), Utf8Field(v1.Artist),  Utf8Field(v1.Album),
               Utf8Field(v1.Year),  Utf8Field(v1.Comment), ID3Tag::GenreName(v1.Genre)};
    const FastTags::Answer fast = open.isOpen() ? FastTags::Id3v2(open, out) : FastTags::Answer::None;
    const bool hasV2 =
        fast == FastTags::Answer::Unsure ? NativeTag::ReadId3v2(file, out) : fast == FastTags::Answer::Found;
    if (!hasV2) {
        out = old;
        return hasV1;
    }
    if (!hasV1) return true;
    const QString* from[] = {&old.title, &old.artist, &old.album, &old.year, &old.comment, &old.genre};
    QString* to[] = {&out.title, &out.artist, &out.album, &out.year, &out.comment, &out.genre};
    for (int i = 0; i < 6; ++i)
        if (to[i]->isEmpty()) *to[i] = ID3Tag::Unpadded(*from[i]);
    return true;
}

}  // namespace Mp3Tags

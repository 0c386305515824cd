#pragma once
// The tags of the files a scan meets most, read straight from their bytes: an
// MP3's ID3v2.3/2.4 tag of plain text frames and a FLAC file's Vorbis comments.
// TagLib builds a whole object model for each file, which was most of a first
// scan's time; here one open and a read or two do (library/ReadOnlyFile). Whenever a file strays from
// the plain layout the answer is Unsure and the caller asks TagLib, so the
// fields are always the ones TagLib would give.
#include <QByteArray>
#include <QString>

#include "library/NativeTag.h"
#include "library/ReadOnlyFile.h"

namespace FastTags {

enum class Answer {
    Found,   // out holds the fields
    None,    // no such tag, or one without any of the fields
    Unsure,  // not a plain layout: ask TagLib
};

// An MP3's ID3v2 tag, as NativeTag::ReadId3v2 reads it.
Answer Id3v2(const ReadOnlyFile& file, NativeTag::Fields& out);
// A FLAC file's Vorbis comments, as NativeTag::Read reads them.
Answer Flac(const ReadOnlyFile& file, NativeTag::Fields& out);

}  // namespace FastTags

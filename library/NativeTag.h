#pragma once
// The tag a file carries in its own format (ID3v2 in MP3, Vorbis comments in
// FLAC, Ogg and Opus, MP4 atoms in M4A, ASF attributes in WMA/ASF), read and
// written through TagLib. Text comes out trimmed, with the genre as a name.
#include <QString>

namespace NativeTag {

struct Fields {
    QString title, artist, album, year, comment, genre;
};

// False when the file cannot be read as a tagged audio file or its tag holds
// none of the six fields; out is then empty.
bool Read(const QString& file, Fields& out);

// Stores the six texts in the file's own tag, keeping its other entries; an
// empty text removes the entry. On failure (no writable tag for this type,
// read-only or missing file) tells the user, leaves the file as it was and
// returns false.
bool Write(const QString& file, const Fields& in);

}  // namespace NativeTag

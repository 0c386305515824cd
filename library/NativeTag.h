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
// Read without the quick path for plain FLAC files (library/FastTags.h).
bool ReadThroughTagLib(const QString& file, Fields& out);

// An MP3's ID3v2 tag alone, at full length: false when it has none (or an
// empty one). An ID3v1 tag beside it is not looked at.
bool ReadId3v2(const QString& file, Fields& out);

// A genre as shown: older taggers store one as its ID3v1 number, bare or as "(17)".
QString GenreText(const QString& genre);

// Stores the six texts in the file's own tag, keeping its other entries; an
// empty text removes the entry. An MP3 keeps its ID3v2 version and any ID3v1
// tag. Silent; false when the type has no writable tag or the write fails,
// and the file may then be half-written: Write is the safe way.
bool Store(const QString& file, const Fields& in);

// Store on a copy that replaces the file only when whole. On failure (no
// writable tag for this type, read-only or missing file) tells the user,
// leaves the file byte-identical and returns false.
bool Write(const QString& file, const Fields& in);

}  // namespace NativeTag

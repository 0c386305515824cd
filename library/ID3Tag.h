#pragma once
// The ID3v1 tag: the fixed 128-byte block at the very end of an audio file,
// and the genre table that maps its one-byte genre to a name and back.
// Tag text is Windows-1252, one byte per character.
#include <QString>

class ReadOnlyFile;

namespace ID3Tag {

// Field widths in bytes: Header 3, Title 30, Artist 30, Album 30, Year 4,
// Comment 30, Genre 1 (a one-character text whose code is the genre number).
struct ID3v1Tag {
    QString Header;
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Comment;
    QString Genre;
};

// Stores text left-aligned in a field of the given width: cut if longer,
// padded with spaces if shorter.
QString FieldText(const QString& text, int width);
// A stored field's text alone: up to its first NUL, without the padding spaces.
QString Unpadded(const QString& field);

// Slots 0..126; 126 stays empty.
extern QString GenreList[127];
void LoadGenres();
QString GenreName(const QString& genre);
QString GenreCode(const QString& name);

// True when the file's last 128 bytes start with "TAG". Never fails loudly.
bool ReadID3Tag(const QString& file, ID3v1Tag& tag);
// The same from a file already open.
bool ReadID3Tag(const ReadOnlyFile& file, ID3v1Tag& tag);
// A field some taggers filled with UTF-8 bytes: their text when the bytes
// are valid UTF-8 holding non-ASCII characters (a last character the field
// cut short is dropped), else the field as read.
QString Utf8Field(const QString& field);

// True when every character of the tag's fields (as cut to width) has a byte;
// else tells the user which ones have none.
bool CanStore(const ID3v1Tag& tag);
// Appends the tag when tag.Header is not "TAG" (and sets it), else overwrites
// the last 128 bytes. Writes nothing when CanStore says no. On failure tells
// the user and returns false.
bool WriteID3Tag(const QString& file, ID3v1Tag& tag);
// The same write without a word to the user; characters with no byte become "?".
bool StoreID3Tag(const QString& file, ID3v1Tag& tag);

}  // namespace ID3Tag

#pragma once
// Play lists other players write and read: M3U, M3U8, PLS and XSPF. Import
// yields the songs as cue rows (folder + file name); titles in the files are
// hints only, the cue shows the file name as everywhere else.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace PlaylistFormats {

enum class Format { M3U, M3U8, PLS, XSPF };

// By the file's extension, without regard to case.
std::optional<Format> FormatOf(const QString& fileName);

// The open/save dialog filter entries, "label|pattern" joined by "|".
QString DialogFilter();

// What the program knows of a song beyond its file, written into exported
// lists so that other players show it; empty texts and a negative length are unknown.
struct Known {
    QString artist, title, album;
    double seconds = -1;
    bool operator==(const Known&) const = default;
};

// One song of the cue: folder ends in "/", name is the file name.
struct Song {
    QString folder;
    QString name;
    Known known = {};
    bool operator==(const Song&) const = default;
};

// One entry as written in a list: a path (relative or absolute) or a URL.
struct Item {
    QString location;
    QString title;  // a hint; may be empty
};

// The entries of a list's bytes, in order. .m3u and .pls are read as UTF-8
// when valid, else as Windows-1252; .m3u8 as UTF-8; XSPF by its XML header.
// Nothing when the bytes are no list of that format: binary data, a .pls
// without its section or entries, XML that is broken, is no playlist, or
// declares a DTD or entities (which could expand or reach other files).
std::optional<QList<Item>> Parse(Format format, const QByteArray& bytes);

struct Imported {
    QList<Song> songs;
    int urls = 0;      // network streams, which the decks cannot take
    int missing = 0;   // files not found
    int notAudio = 0;  // files of a type the scanner would not take
    QString error;     // set when the file could not be read
    bool notAList = false;
};

// Relative paths resolve against listFolder; only existing audio files come
// through, of the scanner's types (with moreTypes, its further ones too).
Imported Resolve(Format format, const QList<Item>& items, const QString& listFolder, bool moreTypes);
Imported Import(const QString& listFile, bool moreTypes);

// The list's bytes. relative: paths relative to listFolder, else absolute.
// Lengths and tags of Song::known are written where the format has a place.
QByteArray Write(Format format, const QList<Song>& songs, const QString& listFolder, bool relative);

}  // namespace PlaylistFormats

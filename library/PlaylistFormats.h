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

// One song of the cue: folder ends in "/", name is the file name.
struct Song {
    QString folder;
    QString name;
    bool operator==(const Song&) const = default;
};

// One entry as written in a list: a path (relative or absolute) or a URL.
struct Item {
    QString location;
    QString title;  // a hint; may be empty
};

// The entries of a list's bytes, in order. .m3u and .pls are read as UTF-8
// when valid, else as Windows-1252; .m3u8 as UTF-8; XSPF by its XML header.
QList<Item> Parse(Format format, const QByteArray& bytes);

struct Imported {
    QList<Song> songs;
    int urls = 0;     // network streams, which the decks cannot take
    int missing = 0;  // files not found
    QString error;    // set when the list itself could not be read
};

// Relative paths resolve against listFolder; only existing files come through.
Imported Resolve(Format format, const QList<Item>& items, const QString& listFolder);
Imported Import(const QString& listFile);

// The list's bytes. relative: paths relative to listFolder, else absolute.
QByteArray Write(Format format, const QList<Song>& songs, const QString& listFolder, bool relative);

}  // namespace PlaylistFormats

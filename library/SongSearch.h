#pragma once
// The main search over a copy of the songs' searchable text held in memory.
// Asking the engine means decoding four columns of every row on each search,
// a few tens of milliseconds at 200,000 songs before a single hit; the copy is
// read once per change of the library and searched in one sweep. It matches
// with the connection's own LIKE, so it finds exactly what the statements
// "artist like '%text%'" and, after it, "(title, artist2 or album like it)
// and not the name" find, in the same order.
#include <QString>
#include <QVector>
#include <cstdint>
#include <string>
#include <vector>

class Connection;
struct sqlite3;

class SongSearch {
  public:
    struct Song {
        QString name, folder, artist, title;
    };
    // The songs whose file name holds the text, then with tagsToo those only
    // their tags hold, each in the library's row order. False, with no songs,
    // when the copy cannot serve: the connection is inside a transaction of
    // its own (rows it may yet undo), the text holds a NUL, or a read failed.
    bool Find(Connection& cn, const QString& text, bool tagsToo, QVector<Song>& songs);

    // How many songs the copy holds, and its size in bytes (for the bench).
    int Songs() const { return int(nulls_.size()); }
    std::size_t Bytes() const;

  private:
    enum { kName, kTitle, kArtist, kAlbum, kFields };
    bool current(sqlite3* db, std::int64_t opened);
    bool read(sqlite3* db);

    // Taken when the copy was read: it is current while none of them moved.
    std::int64_t opened_ = -1, changes_ = -1, version_ = -1;
    // Per song and field (song * kFields + field): the text, ended by a NUL,
    // and where it ends.
    std::string text_;
    std::vector<std::uint32_t> ends_;
    std::vector<std::uint8_t> nulls_;      // per song, bit f: field f is Null
    std::vector<std::uint32_t> nonAscii_;  // fields holding other characters
    std::vector<std::uint32_t> folder_;    // per song, its folder in folders_
    QVector<QString> folders_;
};

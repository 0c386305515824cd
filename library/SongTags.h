#pragma once
// A song's tags as the library holds them, looked up by its file: for
// exported play lists, the desktop's media panel and the tag columns.
#include <QString>

namespace SongTags {

struct Tags {
    QString artist, title, album;
};

// The row of exactly this file name in this folder (names compare without
// case, so Song.mp3 beside song.mp3 must be told apart). Empty texts when
// the library has no such row, no tags for it, or cannot be read. Texts end
// before a NUL and carry no padding.
Tags Of(const QString& folder, const QString& name);

}  // namespace SongTags

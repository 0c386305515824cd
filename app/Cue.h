#pragma once
// The cue: the main window's play queue, one row {"1", name, folder} per song.
// Every window takes songs into it, and the decks take them off its top,
// through this module alone, which owns that row layout. Each operation says
// at its call site whether it refreshes the "Songs in cue:" count and whether
// it rewrites the auto-recover file: the operations differ there on purpose,
// and that decides what a restart brings back.
#include <QString>
#include <QStringList>
#include <QVector>

class ListView;

// A song in the cue (or in any list of songs): its file name and its folder,
// which ends in "/".
struct CueSong {
    QString name;
    QString folder;
    QString file() const { return folder + name; }
    // The song of a whole path: the name after its last "/", the folder up to it.
    static CueSong FromFile(const QString& file) {
        return {file.section('/', -1), file.section('/', 0, -2) + '/'};
    }
    bool operator==(const CueSong&) const = default;
};

namespace Cue {

enum class Count { Refresh, Keep };
enum class Backup { Write, Keep };

// The list row of a song, in the cue and in every other list of songs.
QStringList Row(const CueSong& song);
QVector<QStringList> Rows(const QVector<CueSong>& songs);
// The song of a row of such a list (1-based).
CueSong SongAt(const ListView* list, int index);
// The list-file records of the songs, in order, and the song of one record
// (false for a record without a separator).
QByteArray Records(const QVector<CueSong>& songs);
bool FromRecord(const QString& record, CueSong& song);

// The cue's songs, top first (none without a main window).
QVector<CueSong> Songs();

// Takes songs in after the last row, in the given order.
void Append(const QVector<CueSong>& songs, Count count, Backup backup);
// Takes songs in above the top row: they become the first rows, in the given order.
void InsertAtTop(const QVector<CueSong>& songs, Count count, Backup backup);
// Takes the top song off: it becomes the selected item and leaves the cue.
// False, with the cue untouched, when the cue is empty.
bool TakeNext(CueSong& song, Count count, Backup backup);
// Removes the selected rows.
void RemoveSelected(Count count, Backup backup);
void Clear(Count count, Backup backup);
// For edits made on the rows in place (moves).
void Changed(Count count, Backup backup);

}  // namespace Cue

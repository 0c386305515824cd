#pragma once
// What was played, for the royalty societies and the venue: one row per song
// heard, by the auto fade or by hand, in a table of our own beside the
// library. A row is written when the song starts and completed when it stops,
// so a crash loses at most the song on air.
#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>

#include "app/Cue.h"

struct HistoryEntry {
    qint64 id = 0;
    QDateTime started;    // local time the song became audible
    double seconds = -1;  // how long it was heard; -1 while on air (or cut off by a crash)
    QString name, folder;
    QString title, artist, album;  // as the library has them
    int deck = 0;
    CueSong song() const { return {name, folder}; }
};

namespace PlayHistory {

// Opens a row for a song starting now; title, artist and album come from
// the library. 0 when it could not be written.
qint64 Begin(const CueSong& song, int deck, const QDateTime& started);
// Completes the row of a song that stopped.
void Finish(qint64 id, double seconds);

// The days with songs, newest first.
QVector<QDate> Days();
// The songs heard from the start of day `from` to the end of day `to`, in order.
QVector<HistoryEntry> Between(const QDate& from, const QDate& to);
// The songs started since `since`, in order.
QVector<HistoryEntry> Since(const QDateTime& since);
// The last n songs heard, most recent first.
QVector<HistoryEntry> Last(int n);

}  // namespace PlayHistory

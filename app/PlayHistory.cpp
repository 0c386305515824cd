#include "app/PlayHistory.h"

#include <QSqlQuery>
#include <QVariant>

#include "library/Module1State.h"

namespace PlayHistory {
namespace {

// Sortable local times: a day is a prefix, and text order is time order.
const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

// The table is made on first use, so a library that never played anything
// keeps the schema it came with. Recording never stops the show: a library
// that cannot take the row (read-only, locked) simply records nothing.
bool ready(QSqlQuery& q) {
    if (!Module1::cnLibrary.IsOpen()) return false;
    const QSqlDatabase db = Module1::cnLibrary.database();
    q = QSqlQuery(db);
    static QString madeIn;  // the library the table is known to exist in
    if (madeIn == db.databaseName()) return true;
    const bool made =
        q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS play_history (id INTEGER PRIMARY KEY, "
                              "started TEXT, seconds REAL, file TEXT, folder TEXT, title TEXT, "
                              "artist TEXT, album TEXT, deck INTEGER)")) &&
        q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS play_history_started ON play_history(started)"));
    if (made) madeIn = db.databaseName();
    return made;
}

QVector<HistoryEntry> select(const QString& where, const QVariantList& values) {
    QVector<HistoryEntry> out;
    QSqlQuery q;
    if (!ready(q)) return out;
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, started, seconds, file, folder, title, artist, album, deck "
                             "FROM play_history ") +
              where);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) return out;
    while (q.next()) {
        HistoryEntry e;
        e.id = q.value(0).toLongLong();
        e.started = QDateTime::fromString(q.value(1).toString(), kTimeFormat);
        e.seconds = q.value(2).isNull() ? -1 : q.value(2).toDouble();
        e.name = q.value(3).toString();
        e.folder = q.value(4).toString();
        e.title = q.value(5).toString();
        e.artist = q.value(6).toString();
        e.album = q.value(7).toString();
        e.deck = q.value(8).toInt();
        out.append(e);
    }
    return out;
}

}  // namespace

qint64 Begin(const CueSong& song, int deck, const QDateTime& started) {
    QSqlQuery q;
    if (!ready(q)) return 0;
    QVariant title, artist, album;
    q.prepare(QStringLiteral("SELECT title, artist2, album FROM songs WHERE artist=? AND path=? LIMIT 1"));
    q.addBindValue(song.name);
    q.addBindValue(song.folder);
    if (q.exec() && q.next()) {
        title = q.value(0);
        artist = q.value(1);
        album = q.value(2);
    }
    q.prepare(
        QStringLiteral("INSERT INTO play_history (started, file, folder, title, artist, album, deck) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v : {QVariant(started.toString(kTimeFormat)), QVariant(song.name),
                              QVariant(song.folder), title, artist, album, QVariant(deck)})
        q.addBindValue(v);
    return q.exec() ? q.lastInsertId().toLongLong() : 0;
}

void Finish(qint64 id, double seconds) {
    QSqlQuery q;
    if (id == 0 || !ready(q)) return;
    q.prepare(QStringLiteral("UPDATE play_history SET seconds=? WHERE id=?"));
    q.addBindValue(seconds);
    q.addBindValue(id);
    q.exec();
}

QVector<QDate> Days() {
    QVector<QDate> days;
    QSqlQuery q;
    if (!ready(q)) return days;
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT DISTINCT substr(started, 1, 10) FROM play_history ORDER BY 1 DESC")))
        return days;
    while (q.next()) days.append(QDate::fromString(q.value(0).toString(), Qt::ISODate));
    return days;
}

QVector<HistoryEntry> Between(const QDate& from, const QDate& to) {
    return select(QStringLiteral("WHERE started >= ? AND started < ? ORDER BY started, id"),
                  {from.toString(Qt::ISODate), to.addDays(1).toString(Qt::ISODate)});
}

QVector<HistoryEntry> Since(const QDateTime& since) {
    return select(QStringLiteral("WHERE started >= ? ORDER BY started, id"), {since.toString(kTimeFormat)});
}

QVector<HistoryEntry> Last(int n) {
    return select(QStringLiteral("ORDER BY started DESC, id DESC LIMIT ?"), {n});
}

}  // namespace PlayHistory

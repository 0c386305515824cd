#include "app/HistoryExport.h"

#include <QStringList>

#include "library/PlaylistFormats.h"

namespace HistoryExport {
namespace {

// Every field quoted, a quote inside doubled; commas and line breaks need nothing more.
QByteArray quoted(const QString& field) {
    QByteArray f = field.toUtf8();
    f.replace('"', "\"\"");
    return '"' + f + '"';
}

QByteArray line(const QStringList& fields) {
    QByteArrayList out;
    for (const QString& f : fields) out << quoted(f);
    return out.join(',') + "\r\n";
}

}  // namespace

QByteArray Csv(const QVector<HistoryEntry>& entries) {
    QByteArray bytes = line({"Date", "Time", "Seconds Heard", "Artist", "Title", "Album", "File", "Folder"});
    for (const HistoryEntry& e : entries)
        bytes += line({e.started.date().toString(Qt::ISODate),
                       e.started.time().toString(QStringLiteral("HH:mm:ss")),
                       e.seconds < 0 ? QString() : QString::number(e.seconds, 'f', 1), e.artist, e.title,
                       e.album, e.name, e.folder});
    return bytes;
}

QByteArray M3u8(const QVector<HistoryEntry>& entries) {
    QList<PlaylistFormats::Song> songs;
    for (const HistoryEntry& e : entries) songs.append({e.folder, e.name});
    return PlaylistFormats::Write(PlaylistFormats::Format::M3U8, songs, QString(), false);
}

}  // namespace HistoryExport

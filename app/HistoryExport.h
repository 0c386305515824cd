#pragma once
// The play history written out: CSV for royalty reports (RFC 4180: UTF-8,
// CRLF line ends, a header row, every field quoted) and M3U8 to play it again.
#include <QByteArray>
#include <QVector>

#include "app/PlayHistory.h"

namespace HistoryExport {

QByteArray Csv(const QVector<HistoryEntry>& entries);
QByteArray M3u8(const QVector<HistoryEntry>& entries);

}  // namespace HistoryExport

#include "app/Cue.h"

#include "app/ListView.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/ListFile.h"

namespace Cue {
namespace {

// Songs come in from windows that may outlive a main window being rebuilt,
// so the cue is loaded on demand, as every window has always done.
ListView* cue() {
    return Windows::Load<form1>().lstPlaylist;
}

}  // namespace

QStringList Row(const CueSong& song) {
    return {QStringLiteral("1"), song.name, song.folder};
}

QVector<QStringList> Rows(const QVector<CueSong>& songs) {
    QVector<QStringList> rows;
    rows.reserve(songs.size());
    for (const CueSong& s : songs) rows.append(Row(s));
    return rows;
}

CueSong SongAt(const ListView* list, int index) {
    return {list->SubItem(index, 1), list->SubItem(index, 2)};
}

QByteArray Records(const QVector<CueSong>& songs) {
    QByteArray bytes;
    bytes.reserve(qsizetype(songs.size()) * 96);
    for (const CueSong& s : songs) bytes += ListFile::Record(s.folder + ListFile::kSeparator + s.name);
    return bytes;
}

bool FromRecord(const QString& record, CueSong& song) {
    return ListFile::Split(record, song.folder, song.name);
}

QVector<CueSong> Songs() {
    QVector<CueSong> songs;
    const form1* f = Windows::Find<form1>();
    if (!f) return songs;
    const int n = f->lstPlaylist->Count();
    songs.reserve(n);
    for (int i = 1; i <= n; ++i) songs.append(SongAt(f->lstPlaylist, i));
    return songs;
}

void Changed(Count count, Backup backup) {
    if (count == Count::Refresh) Module1::RefreshCueCount();
    if (backup == Backup::Write) Module1::SaveAutoRecover();
}

void Append(const QVector<CueSong>& songs, Count count, Backup backup) {
    cue()->AddRows(Rows(songs));
    Changed(count, backup);
}

void InsertAtTop(const QVector<CueSong>& songs, Count count, Backup backup) {
    cue()->InsertRows(1, Rows(songs));
    Changed(count, backup);
}

bool TakeNext(CueSong& song, Count count, Backup backup) {
    ListView* list = cue();
    if (list->Count() == 0) return false;
    list->SetSelectedItem(1);
    song = SongAt(list, 1);
    list->Remove(list->SelectedItem());
    Changed(count, backup);
    return true;
}

void RemoveSelected(Count count, Backup backup) {
    cue()->RemoveSelected();
    Changed(count, backup);
}

void Clear(Count count, Backup backup) {
    cue()->Clear();
    Changed(count, backup);
}

}  // namespace Cue

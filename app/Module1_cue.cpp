#include "app/Cue.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/ListFile.h"

namespace Module1 {

QString AutoRecoverFile() {
    return AppPath() + QStringLiteral("/backup.vlx");
}

void RefreshCueCount() {
    // A window closing late must not bring the main window back to life.
    if (form1* f = Windows::Find<form1>())
        f->lblPlaySongs->setText(QStringLiteral("Songs in cue:") + QString::number(f->lstPlaylist->Count()));
}

void SaveAutoRecover() {
    // Without the main window there is no cue to mirror; writing one would
    // throw away the file that the next start is meant to restore.
    form1* f = Windows::Find<form1>();
    if (!f) return;
    // Every row is the selected item in turn while it is written, and none
    // stays selected: the last row remains the selected item.
    ListView* cue = f->lstPlaylist;
    for (int i = 1; i <= cue->Count(); ++i) {
        cue->SetSelectedItem(i);
        cue->SetSelected(i, false);
    }
    // Never reported: the file keeps its earlier content when it cannot be replaced.
    ListFile::WriteAtomically(AutoRecoverFile(), Cue::Records(Cue::Songs()));
}

void LoadAutoRecover() {
    form1* f = Windows::Find<form1>();
    if (!f) return;
    QByteArray bytes;
    if (!ListFile::ReadAll(AutoRecoverFile(), bytes)) return;
    ListFile::RecordReader reader(ListFile::Decode(bytes));
    QVector<CueSong> songs;
    while (!reader.AtEnd()) {
        // Blank records, and damaged ones without a separator, are passed
        // over: stopping there would lose every song after them at the next save.
        CueSong song;
        if (Cue::FromRecord(reader.Next(), song)) songs.append(song);
    }
    Cue::Append(songs, Cue::Count::Refresh, Cue::Backup::Keep);
}

}  // namespace Module1

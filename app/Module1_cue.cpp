#include "app/AutoRecoverMirror.h"
#include "app/Cue.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"

namespace Module1 {

QString AutoRecoverFile() {
    return AppPath() + QStringLiteral("/backup.vlx");
}

QString OnAirFile() {
    return AppPath() + QStringLiteral("/onair.vlx");
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
    f->autoRecover->WriteNow();
}

void LoadAutoRecover() {
    if (!Windows::Find<form1>()) return;
    // Blank records, and damaged ones without a separator, are passed over:
    // stopping there would lose every song after them at the next save.
    QVector<CueSong> songs, onAir;
    if (!AutoRecoverMirror::ReadSongs(AutoRecoverFile(), songs)) return;
    // A song still on air when the program last ended did not finish: it plays again first.
    AutoRecoverMirror::ReadSongs(OnAirFile(), onAir);
    Cue::Append(onAir + songs, Cue::Count::Refresh, Cue::Backup::Keep);
}

}  // namespace Module1

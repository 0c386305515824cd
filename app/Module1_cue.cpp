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
    ListView* cue = f->lstPlaylist;
    const int n = cue->Count();
    QByteArray bytes;
    bytes.reserve(qsizetype(n) * 96);
    for (int i = 1; i <= n; ++i) {
        cue->SetSelectedItem(i);
        bytes += ListFile::Record(cue->SubItem(i, 2) + ListFile::kSeparator + cue->SubItem(i, 1));
        cue->SetSelected(i, false);
    }
    // Never reported: the file keeps its earlier content when it cannot be replaced.
    ListFile::WriteAtomically(AutoRecoverFile(), bytes);
}

void LoadAutoRecover() {
    form1* f = Windows::Find<form1>();
    if (!f) return;
    QByteArray bytes;
    if (!ListFile::ReadAll(AutoRecoverFile(), bytes)) return;
    ListFile::RecordReader reader(ListFile::Decode(bytes));
    QVector<QStringList> rows;
    while (!reader.AtEnd()) {
        // Blank records, and damaged ones without a separator, are passed
        // over: stopping there would lose every song after them at the next save.
        QString path, name;
        if (ListFile::Split(reader.Next(), path, name)) rows.append({QStringLiteral("1"), name, path});
    }
    f->lstPlaylist->AddRows(rows);
    RefreshCueCount();
}

}  // namespace Module1

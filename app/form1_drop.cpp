#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/Cue.h"
#include "app/Module1.h"
#include "app/form1.h"
#include "library/Scanner.h"

namespace {

// Dropped files and folders as cue rows: an audio file as it is, a folder
// as the scanner sees it (its audio files by name, not its subfolders).
QVector<QStringList> rowsOfFiles(const QList<QUrl>& urls) {
    QVector<QStringList> rows;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) {
            const QString folder = info.absoluteFilePath() + u'/';
            bool ok = false;
            for (const QString& name : Scanner::ListFolder(folder, &ok))
                if (Scanner::IsAudioName(name)) rows.append(Cue::Row({name, folder}));
        } else if (info.isFile() && Scanner::IsAudioName(info.fileName())) {
            rows.append(Cue::Row({info.fileName(), info.absolutePath() + u'/'}));
        }
    }
    return rows;
}

}  // namespace

void form1::WireDrops() {
    lstPlaylist->SetDragRows([this] { return SelectedRows(lstPlaylist); });
    lstresults->SetDragRows([this] { return SelectedRows(lstresults); });
    lstPlaylist->SetDrop([this](const QMimeData* mime, int before) { CueDrop(mime, before); });
}

void form1::CueDrop(const QMimeData* mime, int before) {
    const ListView* from = nullptr;
    QVector<QStringList> rows = ListView::RowsOf(mime, &from);
    if (from == lstPlaylist) {
        // Rows dragged within the cue: the selected rows move to the drop place.
        const int end = before == 0 ? lstPlaylist->Count() + 1 : before;
        int above = 0;
        for (int i = 1; i < end; ++i) above += lstPlaylist->Selected(i) ? 1 : 0;
        lstPlaylist->RemoveSelected();
        const int at = end - above;
        lstPlaylist->InsertRows(at > lstPlaylist->Count() ? 0 : at, rows);
    } else {
        if (rows.isEmpty()) rows = rowsOfFiles(mime->urls());
        if (rows.isEmpty()) return;
        lstPlaylist->InsertRows(before, rows);
    }
    Cue::Changed(Cue::Count::Refresh, Cue::Backup::Write);
}

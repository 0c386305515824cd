#include "app/PlayHistoryWindow.h"

#include <QGridLayout>

#include "app/Cue.h"
#include "app/HistoryExport.h"
#include "library/ListFile.h"
#include "seams/Seams.h"

PlayHistoryWindow::PlayHistoryWindow() : dialog(this) {
    setWindowTitle(QStringLiteral("Play History"));
    lstDays = new QListWidget(this);
    lstDays->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstDays->setMaximumWidth(120);
    lstSongs = new ListView(this);
    lstSongs->SetColumns({{"id", 0},
                          {"Time", 900},
                          {"Seconds", 900},
                          {"Artist", 2000},
                          {"Title", 2400},
                          {"Album", 1800},
                          {"File", 3000},
                          {"Folder", 3000}});
    cmdCopy = new QPushButton(QStringLiteral("&Copy To Cue"), this);
    cmdCsv = new QPushButton(QStringLiteral("Export C&SV..."), this);
    cmdM3u = new QPushButton(QStringLiteral("Export &M3U8..."), this);
    cmdClose = new QPushButton(QStringLiteral("C&lose"), this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(lstDays, 0, 0);
    grid->addWidget(lstSongs, 0, 1, 1, 4);
    grid->addWidget(cmdCopy, 1, 1);
    grid->addWidget(cmdCsv, 1, 2);
    grid->addWidget(cmdM3u, 1, 3);
    grid->addWidget(cmdClose, 1, 4);
    resize(900, 420);
    connect(lstDays, &QListWidget::itemSelectionChanged, this, &PlayHistoryWindow::lstDays_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &PlayHistoryWindow::cmdCopy_Click);
    connect(cmdCsv, &QPushButton::clicked, this, &PlayHistoryWindow::cmdCsv_Click);
    connect(cmdM3u, &QPushButton::clicked, this, &PlayHistoryWindow::cmdM3u_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { Windows::unload(this); });
}

void PlayHistoryWindow::Form_Load() {
    FillDays();
}

void PlayHistoryWindow::FillDays() {
    const QSignalBlocker quiet(lstDays);
    lstDays->clear();
    for (const QDate& d : PlayHistory::Days()) lstDays->addItem(d.toString(Qt::ISODate));
    if (lstDays->count()) lstDays->item(0)->setSelected(true);
    lstDays_Click();
}

void PlayHistoryWindow::lstDays_Click() {
    // The songs of the day last clicked, or of the newest chosen one.
    QListWidgetItem* day = lstDays->currentItem();
    if (!day || !day->isSelected()) day = lstDays->selectedItems().value(0);
    shown_.clear();
    if (day) {
        const QDate d = QDate::fromString(day->text(), Qt::ISODate);
        shown_ = PlayHistory::Between(d, d);
    }
    QVector<QStringList> rows;
    rows.reserve(shown_.size());
    for (const HistoryEntry& e : shown_)
        rows.append({"1", e.started.time().toString(QStringLiteral("HH:mm:ss")),
                     e.seconds < 0 ? QString() : QString::number(e.seconds, 'f', 1), e.artist, e.title,
                     e.album, e.name, e.folder});
    lstSongs->Clear();
    lstSongs->AddRows(rows);
}

void PlayHistoryWindow::cmdCopy_Click() {
    QVector<CueSong> songs;
    for (int i = 1; i <= lstSongs->Count(); ++i)
        if (lstSongs->Selected(i)) songs.append(shown_.value(i - 1).song());
    if (songs.isEmpty()) return;
    Cue::Append(songs, Cue::Count::Refresh, Cue::Backup::Write);
}

void PlayHistoryWindow::cmdCsv_Click() {
    exportDays(QStringLiteral("CSV|*.csv"), QStringLiteral(".csv"), true);
}

void PlayHistoryWindow::cmdM3u_Click() {
    exportDays(QStringLiteral("M3U8|*.m3u8"), QStringLiteral(".m3u8"), false);
}

void PlayHistoryWindow::exportDays(const QString& filter, const QString& ext, bool csv) {
    QVector<QDate> days;
    for (const QListWidgetItem* item : lstDays->selectedItems())
        days.append(QDate::fromString(item->text(), Qt::ISODate));
    if (days.isEmpty()) {
        Seams::MsgBox(QStringLiteral("Choose the days to export first."));
        return;
    }
    std::sort(days.begin(), days.end());
    dialog.FileName = QString();
    dialog.Filter = filter;
    dialog.DefaultExt = ext;
    dialog.ShowSave();
    QString file = dialog.FileName;
    if (file.trimmed().isEmpty()) return;
    if (!file.endsWith(ext, Qt::CaseInsensitive)) file += ext;
    const QVector<HistoryEntry> entries = PlayHistory::Between(days.first(), days.last());
    QString error;
    if (!ListFile::WriteAtomically(file, csv ? HistoryExport::Csv(entries) : HistoryExport::M3u8(entries),
                                   &error))
        Seams::MsgBox(
            QStringLiteral("The history could not be saved to ") + file + QStringLiteral(": ") + error,
            Seams::Buttons::OK, Seams::Icon::Critical);
}

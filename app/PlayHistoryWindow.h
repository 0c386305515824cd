#pragma once
// "Play History": the days on which songs were played, and the songs of the
// chosen day with their times. Selected songs go back into the cue; the
// chosen days (from the first to the last) are exported as CSV or M3U8.
#include <QListWidget>
#include <QPushButton>

#include "app/CommonDialog.h"
#include "app/ListView.h"
#include "app/PlayHistory.h"
#include "app/Windows.h"

class PlayHistoryWindow : public Form {
    Q_OBJECT
  public:
    PlayHistoryWindow();

    QListWidget* lstDays;
    ListView* lstSongs;
    QPushButton* cmdCopy;
    QPushButton* cmdCsv;
    QPushButton* cmdM3u;
    QPushButton* cmdClose;
    CommonDialog dialog;

    void Form_Load() override;
    // Lists the days afresh and shows the newest.
    void FillDays();
    void lstDays_Click();
    void cmdCopy_Click();
    void cmdCsv_Click();
    void cmdM3u_Click();

    const QVector<HistoryEntry>& shown() const { return shown_; }

  private:
    void exportDays(const QString& filter, const QString& ext, bool csv);
    QVector<HistoryEntry> shown_;
};

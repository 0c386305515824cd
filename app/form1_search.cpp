#include "app/Cue.h"
#include "app/ListOptions.h"
#include "app/Module1.h"
#include "seams/Seams.h"
#include "app/form1.h"
#include "windows/formlist.h"

namespace {

// Leading and trailing spaces only: tabs and other blanks are part of the text.
QString trimSpaces(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.mid(b, e - b);
}

}  // namespace

void form1::Command1_Click() {
    using namespace Module1;
    // Text pasted from several lines: keep what follows the first line break.
    // The break is found in the text as it stands, so leading spaces cannot
    // shift the cut into the break itself.
    const QString full = txtSearch->text();
    if (qsizetype cr = full.indexOf(QChar(13)); cr >= 0) {
        qsizetype from = cr + 1;
        if (from < full.size() && full[from] == QChar(10)) ++from;
        txtSearch->setText(full.mid(from));
    }

    const QString t = trimSpaces(txtSearch->text());
    lstresults->Clear();
    if (t.isEmpty()) return;

    // All hits go into the list in one step; a row that cannot be read fully
    // still gets its place, with the unreadable sub-item left empty.
    QVector<SongSearch::Song> found;
    const bool tagsToo = Options::Get(Options::SearchTagsToo);
    // The copy in memory finds what the statements would, many times faster.
    if (!(tagsToo && songSearch_.Find(cnLibrary, t, true, found))) {
        for (const QString& sql : SearchStatements(t, tagsToo)) {
            StrSQL = sql;
            // A recordset left open by an earlier failure would refuse the query.
            rsLibrary.Close();
            try {
                rsLibrary.Open(StrSQL, cnLibrary);
            } catch (const StoreError& e) {
                Seams::MsgBox(QStringLiteral("The search could not be run: ") + e.message(),
                              Seams::Buttons::OK, Seams::Icon::Critical);
                return;
            }
            while (!rsLibrary.EOF_()) {
                SongSearch::Song song;
                auto field = [](const char* name, QString& to) {
                    try {
                        to = rsLibrary.Fields(QString::fromLatin1(name)).toString();
                    } catch (const StoreError&) {
                    }
                };
                field("artist", song.name);
                field("path", song.folder);
                field("artist2", song.artist);
                field("title", song.title);
                found.append(song);
                try {
                    rsLibrary.MoveNext();
                } catch (const StoreError&) {
                    break;
                }
            }
        }
    }
    QVector<QStringList> rows;
    rows.reserve(found.size());
    // The tag columns show what this search read; others look theirs up afresh.
    const bool tagColumns = Options::Get(Options::ShowTagColumns);
    tagColumns_.Forget();
    for (const SongSearch::Song& song : found) {
        rows.append(Cue::Row({song.name, song.folder}));
        if (tagColumns) tagColumns_.Remember(song.folder + song.name, song.artist, song.title);
    }
    const long hits = long(found.size());
    lstresults->AddRows(rows);
    rsLibrary.Close();
    txtSearch->setText(QString());
    txtSearch->setText(t);
    // No hits leave the counter empty rather than showing 0.
    lblTotalsongs->setText(QStringLiteral("Total Songs Found:") + (hits ? QString::number(hits) : QString()));
}

QStringList form1::SearchStatements(const QString& text, bool tagsToo) {
    const QString like =
        QStringLiteral(" like '%") + Module1::SqlQuote(text).toString() + QStringLiteral("%'");
    QStringList sql{QStringLiteral("SELECT * FROM songs WHERE artist") + like};
    // Then the songs only their tags find. Two plain filters rather than one
    // union: each runs on its own the fast way, and their order is certain.
    if (tagsToo)
        sql << QStringLiteral("SELECT * FROM songs WHERE (title") + like + QStringLiteral(" OR artist2") +
                   like + QStringLiteral(" OR album") + like +
                   QStringLiteral(") AND ifnull(artist, '') not") + like;
    return sql;
}

void form1::txtSearch_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13) Command1_Click();
}

void form1::cmdShowSongs_Click() {
    Windows::Load<formlist>();
    Windows::Show<formlist>();
    cmdShowSongs->setEnabled(false);
}

void form1::Command4_Click() {
    lstresults->Clear();
    txtSearch->setText(QString());
}

void form1::lstresults_Click() {
    lstresults->ToolTipFromSelectedItem();
}

void form1::lstresults_MouseMove(int, int, int, int) {
    lstresults->ToolTipFromSelectedItem();
}

void form1::lstresults_DblClick() {
    const int k = lstresults->SelectedItem();
    if (lstresults->Count() == 0 || k == 0) return;
    Cue::Append({Cue::SongAt(lstresults, k)}, Cue::Count::Refresh, Cue::Backup::Write);
}

void form1::lstresults_MouseDown(int Button, int, int X, int Y) {
    if (Button != 2) {
        mnuAddSelected->setChecked(false);
        return;
    }
    Seams::ui().popup(mnuSendSelected, lstresults->viewport()->mapToGlobal(QPoint(X, Y)));
    if (mnuAddSelected->isChecked() && lstresults->Count() > 0) {
        const int n = lstresults->Count();
        QVector<CueSong> songs;
        for (int i = 1; i <= n; ++i)
            if (lstresults->Selected(i)) songs.append(Cue::SongAt(lstresults, i));
        Cue::Append(songs, Cue::Count::Refresh, Cue::Backup::Write);
    }
    mnuAddSelected->setChecked(false);
}

void form1::mnuAddSelected_Click() {
    mnuAddSelected->setChecked(true);
}

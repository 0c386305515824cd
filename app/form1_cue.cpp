#include <algorithm>

#include "app/Module1.h"
#include "seams/Seams.h"
#include "app/form1.h"

namespace {

QStringList songRow(const ListView* list, int index) {
    return {QStringLiteral("1"), list->SubItem(index, 1), list->SubItem(index, 2)};
}

// Puts the song of row `from` into the neighbouring row `to` and the song there
// into `from`. The selection goes with the moved song, which becomes the
// selected item, so repeated clicks keep moving the same song.
void exchangeWithNeighbour(ListView* list, int from, int to) {
    const QString name = list->SubItem(from, 1), path = list->SubItem(from, 2);
    list->SetSubItem(from, 1, list->SubItem(to, 1));
    list->SetSubItem(from, 2, list->SubItem(to, 2));
    list->SetSubItem(to, 1, name);
    list->SetSubItem(to, 2, path);
    list->SetSelected(from, list->Selected(to));
    list->SetSelectedItem(to);
}

// Takes the song off one end of the list and puts it on at the other.
void wrap(ListView* list, int from, int toIndex) {
    const QStringList row = songRow(list, from);
    list->Remove(from);
    list->InsertRows(toIndex, {row});
    list->SetSelectedItem(toIndex == 0 ? list->Count() : toIndex);
}

void deleteSelectedSongs(form1& f) {
    f.lstPlaylist->RemoveSelected();
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

}  // namespace

void form1::cmdUP_Click() {
    ListView* cue = lstPlaylist;
    if (cue->Count() < 2) return;
    const int k = cue->SelectedItem();
    if (k == 0) return;
    if (k == 1)
        wrap(cue, 1, 0);
    else
        exchangeWithNeighbour(cue, k, k - 1);
    cue->ToolTipFromSelectedItem();
}

void form1::cmdDown_Click() {
    ListView* cue = lstPlaylist;
    if (cue->Count() < 2) return;
    const int k = cue->SelectedItem();
    if (k == 0) return;
    if (k == cue->Count())
        wrap(cue, k, 1);
    else
        exchangeWithNeighbour(cue, k, k + 1);
    cue->ToolTipFromSelectedItem();
}

void form1::lstPlaylist_DblClick() {
    cmdUP_Click();
}

void form1::lstPlaylist_Click() {
    lstPlaylist->ToolTipFromSelectedItem();
}

void form1::lstPlaylist_MouseDown(int Button, int, int X, int Y) {
    if (Button != 2) {
        mnuDeleteSelected->setChecked(false);
        return;
    }
    // The check mark tells us "Delete Selected" was chosen; the deck timers
    // may have taken rows meanwhile, so the rows are read only now.
    Seams::ui().popup(mnurightclicklist, lstPlaylist->viewport()->mapToGlobal(QPoint(X, Y)));
    if (mnuDeleteSelected->isChecked()) deleteSelectedSongs(*this);
    mnuDeleteSelected->setChecked(false);
}

void form1::mnuDeleteSelected_Click() {
    mnuDeleteSelected->setChecked(true);
}

void form1::cmdPlayNow_Click() {
    ListView* cue = lstPlaylist;
    if (cue->Count() == 0) return;
    // Each selected song goes to the top in turn, so they end up there in
    // reverse order: A, B, C, D with B and D selected gives D, B, A, C.
    QVector<QStringList> moved;
    for (int i = 1; i <= cue->Count(); ++i)
        if (cue->Selected(i)) moved.append(songRow(cue, i));
    std::reverse(moved.begin(), moved.end());
    cue->RemoveSelected();
    cue->InsertRows(1, moved);
    Module1::SaveAutoRecover();
}

void form1::cmdCS_Click() {
    deleteSelectedSongs(*this);
}

void form1::Command3_Click() {
    lstPlaylist->Clear();
    Module1::RefreshCueCount();
}

void form1::cmdFirst_Click() {
    const int n = lstresults->Count();
    if (n == 0) return;
    // Inserted one by one at the top, the last selected result ends up first.
    QVector<QStringList> rows;
    for (int i = n; i >= 1; --i)
        if (lstresults->Selected(i)) rows.append(songRow(lstresults, i));
    lstPlaylist->InsertRows(1, rows);
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void form1::Command7_Click() {
    const int n = lstresults->Count();
    if (n == 0) return;
    QVector<QStringList> rows;
    rows.reserve(n);
    for (const QStringList& r : lstresults->listModel()->rows)
        rows.append({QStringLiteral("1"), r.value(1), r.value(2)});
    lstPlaylist->AddRows(rows);
    // Every result has been the selected item in turn and none stays selected.
    lstresults->ClearSelection();
    lstresults->SetSelectedItem(n);
    lstresults->SetSelected(n, false);
    Module1::RefreshCueCount();
}

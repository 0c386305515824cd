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

    StrSQL = QStringLiteral("SELECT * FROM songs WHERE artist like '%") + SqlQuote(t).toString() +
             QStringLiteral("%'");
    // A recordset left open by an earlier failure would refuse the query.
    rsLibrary.Close();
    try {
        rsLibrary.Open(StrSQL, cnLibrary);
    } catch (const StoreError& e) {
        Seams::MsgBox(QStringLiteral("The search could not be run: ") + e.message(), Seams::Buttons::OK,
                      Seams::Icon::Critical);
        return;
    }
    // All hits go into the list in one step; a row that cannot be read fully
    // still gets its place, with the unreadable sub-item left empty.
    QVector<QStringList> rows;
    long hits = 0;
    while (!rsLibrary.EOF_()) {
        QStringList row{QStringLiteral("1"), QString(), QString()};
        try {
            row[1] = rsLibrary.Fields(QStringLiteral("artist")).toString();
        } catch (const StoreError&) {
        }
        try {
            row[2] = rsLibrary.Fields(QStringLiteral("path")).toString();
        } catch (const StoreError&) {
        }
        rows.append(row);
        ++hits;
        try {
            rsLibrary.MoveNext();
        } catch (const StoreError&) {
            break;
        }
    }
    lstresults->AddRows(rows);
    rsLibrary.Close();
    txtSearch->setText(QString());
    txtSearch->setText(t);
    // No hits leave the counter empty rather than showing 0.
    lblTotalsongs->setText(QStringLiteral("Total Songs Found:") + (hits ? QString::number(hits) : QString()));
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
    lstPlaylist->AddRows({{QStringLiteral("1"), lstresults->SubItem(k, 1), lstresults->SubItem(k, 2)}});
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void form1::lstresults_MouseDown(int Button, int, int X, int Y) {
    if (Button != 2) {
        mnuAddSelected->setChecked(false);
        return;
    }
    Seams::ui().popup(mnuSendSelected, lstresults->viewport()->mapToGlobal(QPoint(X, Y)));
    if (mnuAddSelected->isChecked() && lstresults->Count() > 0) {
        const int n = lstresults->Count();
        QVector<QStringList> rows;
        for (int i = 1; i <= n; ++i)
            if (lstresults->Selected(i))
                rows.append({QStringLiteral("1"), lstresults->SubItem(i, 1), lstresults->SubItem(i, 2)});
        lstPlaylist->AddRows(rows);
        Module1::RefreshCueCount();
        Module1::SaveAutoRecover();
    }
    mnuAddSelected->setChecked(false);
}

void form1::mnuAddSelected_Click() {
    mnuAddSelected->setChecked(true);
}

#include "windows/multilist.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/Module1.h"
#include "layout/Twips.h"
#include "app/form1.h"
#include "library/ListFile.h"

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QLabel>(parent, caption, Twips::font("Times New Roman", 11.25, true), l, t, w, h);
}

QPushButton* makeButton(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QPushButton>(parent, caption, Twips::font("Arial Black", 9), l, t, w, h);
}

ListView* makeList(QWidget* parent, const QString& name, int l, int t, int w, int h, int nameWidth) {
    auto* lv = new ListView(parent);
    lv->setFont(Twips::font("MS Sans Serif", 8.25, true));
    lv->SetColumns({{"id", 0}, {name, nameWidth}, {"Path", 0}});
    Twips::place(lv, l, t, w, h);
    return lv;
}

// The row single-row operations act on; 0 when the user has selected none.
int selectedRow(const ListView* lv) {
    const int row = lv->SelectedItem();
    return row > 0 && lv->Selected(row) ? row : 0;
}

const QString kContents = QStringLiteral("Contents of Selected List");

}  // namespace

multilist::multilist() : CommonDialog1(this) {
    setWindowTitle(QStringLiteral("Multilist Viewer"));
    // The designed outer size, which the layout records as its reference.
    SetWidth(8460);
    SetHeight(5460);
    // Creation order is the layout's control order.
    Label5 = makeLabel(this, QStringLiteral("Currently Open Lists"), 0, 0, 2440, 375);
    lblListTitle = makeLabel(this, kContents, 2520, 0, 5810, 375);
    lstPlaylist = makeList(this, QStringLiteral("List Name"), 0, 360, 2445, 3975, 2500);
    lstresults = makeList(this, QStringLiteral("Song"), 2520, 360, 5805, 3615, 5500);
    lblsongs = makeLabel(this, QString(), 2520, 3960, 5805, 375);
    cmdOpen = makeButton(this, QStringLiteral("&Open List"), 0, 4320, 2460, 375);
    cmdRemove = makeButton(this, QStringLiteral("&Remove List"), 0, 4680, 2460, 375);
    cmdPlaynext = makeButton(this, QStringLiteral("&Play Next"), 2520, 4320, 2902, 375);
    cmdEntireList = makeButton(this, QStringLiteral("&Add Entire List"), 5400, 4320, 2940, 365);
    cmdClose = makeButton(this, QStringLiteral("&Close"), 2520, 4680, 5895, 375);

    connect(cmdOpen, &QPushButton::clicked, this, [this] { cmdOpen_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdPlaynext, &QPushButton::clicked, this, [this] { cmdPlaynext_Click(); });
    connect(cmdEntireList, &QPushButton::clicked, this, [this] { cmdEntireList_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(lstPlaylist, &ListView::Click, this, [this] { lstPlaylist_Click(); });
    connect(lstresults, &ListView::DblClick, this, [this] { lstresults_DblClick(); });
    // List files dropped from a file manager open here, as if chosen in the dialog.
    lstPlaylist->SetDrop([this](const QMimeData* mime, int) { DropLists(mime->urls()); });
    lstresults->SetDragRows([this] { return SelectedRows(lstresults); });
}

void multilist::DropLists(const QList<QUrl>& urls) {
    bool any = false;
    for (const QUrl& url : urls) {
        const QFileInfo info(url.toLocalFile());
        if (!url.isLocalFile() || !info.isFile() ||
            info.suffix().compare(QLatin1String("vlx"), Qt::CaseInsensitive))
            continue;
        addList(info.fileName(), info.absolutePath() + u'/');
        any = true;
    }
    if (!any || lstPlaylist->Count() < 1) return;
    lstPlaylist->ClearSelection();
    lstPlaylist->SetSelectedItem(1);
    showList(1);
}

multilist::~multilist() = default;

QString multilist::ListTitle(const QString& listName) {
    const qsizetype dot = listName.indexOf(QLatin1Char('.'));
    return dot < 0 ? listName : listName.left(dot);
}

void multilist::addList(const QString& name, const QString& folder) {
    const int row = lstPlaylist->Add();
    lstPlaylist->SetSubItem(row, 1, name);
    lstPlaylist->SetSubItem(row, 2, folder);
}

void multilist::showList(int row) {
    lblListTitle->setText(kContents + QLatin1Char(':') + ListTitle(lstPlaylist->SubItem(row, 1)));
    ListPath = lstPlaylist->SubItem(row, 2) + lstPlaylist->SubItem(row, 1);
    OpenList(ListPath);
}

void multilist::cmdOpen_Click() {
    CommonDialog1.FileName.clear();
    CommonDialog1.Filter = QStringLiteral("VLX|*.vlx");
    CommonDialog1.Flags = CommonDialog::AllowMultiSelect | CommonDialog::Explorer | CommonDialog::LongNames;
    CommonDialog1.ShowOpen();
    if (CommonDialog1.FileName.isEmpty()) return;  // cancelled

    const QStringList parts = CommonDialog1.FileName.split(QChar(0));
    if (parts.size() > 1) {
        // The folder, then the chosen names. The root folder already ends in "/".
        QString folder = parts[0];
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (!parts[i].isEmpty()) addList(parts[i], folder);
    } else {
        const QString& full = parts[0];
        const QString& name = CommonDialog1.FileTitle;
        addList(name, full.left(full.size() - name.size()));
    }

    // Always the top list, which may be one opened earlier.
    if (lstPlaylist->Count() >= 1) {
        lstPlaylist->ClearSelection();
        lstPlaylist->SetSelectedItem(1);
        showList(1);
    }
}

void multilist::lstPlaylist_Click() {
    if (lstPlaylist->Count() < 1) return;
    if (const int row = selectedRow(lstPlaylist)) showList(row);
}

void multilist::OpenList(const QString& ListPathTemp) {
    ClearList();
    // The file is read whole and closed at once, so no path below leaves it open.
    QByteArray bytes;
    if (!ListFile::ReadAll(ListPathTemp, bytes)) return;
    ListFile::RecordReader reader(ListFile::Decode(bytes));
    QVector<QStringList> rows;
    while (!reader.AtEnd()) {
        QString folder, name;
        if (!ListFile::Split(reader.Next(), folder, name)) {
            // A damaged list shows the songs before the damage and no count.
            lstresults->AddRows(rows);
            return;
        }
        rows.push_back({QStringLiteral("1"), name, folder});
    }
    lstresults->AddRows(rows);
    Module1::RefreshCueCount();
    lblsongs->setText(QStringLiteral("Number of Songs In Selected List:") + QString::number(rows.size()));
}

void multilist::ClearList() {
    lstresults->Clear();
}

void multilist::cmdRemove_Click() {
    const int row = selectedRow(lstPlaylist);
    if (row == 0) return;
    lstPlaylist->Remove(row);
    lblsongs->clear();
    lblListTitle->setText(kContents + QLatin1Char(' '));
    ClearList();
}

void multilist::copyToCue(int row, int at) {
    form1& f = Windows::Load<form1>();
    const int added = f.lstPlaylist->Add(at);
    f.lstPlaylist->SetSubItem(added, 1, lstresults->SubItem(row, 1));
    f.lstPlaylist->SetSubItem(added, 2, lstresults->SubItem(row, 2));
}

void multilist::cmdPlaynext_Click() {
    const int row = selectedRow(lstresults);
    if (row == 0) return;
    copyToCue(row, 1);
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void multilist::lstresults_DblClick() {
    const int row = selectedRow(lstresults);
    if (row == 0) return;
    copyToCue(row, 0);
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void multilist::cmdEntireList_Click() {
    const int n = lstresults->Count();
    if (n < 1) return;
    QVector<QStringList> rows;
    rows.reserve(n);
    for (int i = 1; i <= n; ++i)
        rows.push_back({QStringLiteral("1"), lstresults->SubItem(i, 1), lstresults->SubItem(i, 2)});
    Windows::Load<form1>().lstPlaylist->AddRows(rows);
    // Like walking the list row by row: the last row ends up selected.
    lstresults->ClearSelection();
    lstresults->SetSelectedItem(n);
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void multilist::cmdClose_Click() {
    Windows::Unload<multilist>();
}

void multilist::Form_Load() {
    m_Isloading = true;
    El.Init(this);
    m_Isloading = false;
    SetHeight(5460);
    SetWidth(8460);
}

void multilist::Form_Resize() {
    if (!m_Isloading) El.FormResize(this);
    // Never smaller than designed.
    if (Height() < 5460) SetHeight(5460);
    if (Width() < 8460) SetWidth(8460);
}

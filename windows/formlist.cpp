#include "windows/formlist.h"

#include <QHeaderView>
#include <QMimeData>

#include "app/Cue.h"
#include "app/ListOptions.h"
#include "app/SortedOrder.h"
#include "app/PreListen.h"
#include "app/Module1.h"
#include "layout/Twips.h"
#include "library/ID3Tag.h"
#include "app/form1.h"

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QLabel>(parent, caption, Twips::font("Times New Roman", 11.25, true), l, t, w, h);
}

QPushButton* makeButton(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QPushButton>(parent, caption, Twips::font("MS Sans Serif", 9.75, true), l, t, w, h);
}

// The shared recordset is opened and closed within one handler, so one still
// open here is the leftover of a statement that failed half-way.
void openLibrary(const QString& sql) {
    Module1::rsLibrary.Close();
    Module1::StrSQL = sql;
    Module1::rsLibrary.Open(Module1::StrSQL, Module1::cnLibrary);
}

// An entry is the song's file name, a blank and its folder.
QString entry(const SongListModel& m, int row) {
    return m.Field(row, QStringLiteral("artist")) + QLatin1Char(' ') + m.Field(row, QStringLiteral("path"));
}

const QStringList kEntryFields{QStringLiteral("artist"), QStringLiteral("path")};

// With the tag columns: the entry, then the song's tags and its length as
// far as the length reader knows it (a row shown sends its file there).
QVector<SongListModel::Column> tagColumns(CueTime* lengths) {
    const auto tag = [](const char* field) {
        return [field](const SongListModel& m, int row) { return ID3Tag::Unpadded(m.Field(row, field)); };
    };
    const auto file = [](const SongListModel& m, int row) {
        return m.Field(row, QStringLiteral("path")) + m.Field(row, QStringLiteral("artist"));
    };
    return {{QStringLiteral("Song"), entry},
            {QStringLiteral("Artist"), tag("artist2")},
            {QStringLiteral("Title"), tag("title")},
            {QStringLiteral("Length"),
             [=](const SongListModel& m, int row) {
                 return lengths ? CueTime::Clock(lengths->Seconds(file(m, row))) : QString();
             },
             [=](const SongListModel& m, int row) {
                 return lengths ? lengths->LengthKey(file(m, row)) : QString();
             }}};
}
const int kTagColumnTwips[] = {4400, 2000, 2200, 700};

// The master list's entries dragged into the cue travel as cue rows.
class EntryModel : public SongListModel {
  public:
    explicit EntryModel(QObject* parent) : SongListModel(kEntryFields, {{QString(), entry}}, parent) {}
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return SongListModel::flags(index) | Qt::ItemIsDragEnabled;
    }
    QStringList mimeTypes() const override { return {ListView::RowsMimeType()}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override {
        QVector<QStringList> rows;
        for (const QModelIndex& i : indexes) {
            QString name, folder;
            if (i.column() == 0 && formlist::SplitEntry(Text(i.row(), 0), name, folder))
                rows.append(Cue::Row({name, folder}));
        }
        return ListView::RowsMime(rows, nullptr);
    }
};

}  // namespace

formlist::formlist() {
    setWindowTitle(QStringLiteral("Master Song List"));
    // The designed outer size, which the layout records as its reference.
    SetWidth(9585);
    SetHeight(6045);
    // Creation order is the layout's control order.
    Label3 = makeLabel(this, QStringLiteral("Velumix Master List:"), 0, 0, 9495, 375);
    lstShowSongs = new QTreeView(this);
    entries_ = new EntryModel(lstShowSongs);
    lstShowSongs->setModel(entries_);
    lstShowSongs->setDragDropMode(QAbstractItemView::DragOnly);
    // A library may hold hundreds of thousands of songs.
    lstShowSongs->setUniformRowHeights(true);
    lstShowSongs->setRootIsDecorated(false);
    lstShowSongs->setItemsExpandable(false);
    lstShowSongs->setHeaderHidden(true);
    lstShowSongs->header()->setStretchLastSection(false);
    connect(lstShowSongs->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (entries_->columnCount() == 1) return;
        const Qt::SortOrder order = ClickedSortOrder(lstShowSongs->header(), column);
        entries_->sort(column, order);
        lstShowSongs->header()->setSortIndicator(column, order);
    });
    lstShowSongs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstShowSongs->setSelectionMode(QAbstractItemView::SingleSelection);
    lstShowSongs->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstShowSongs->setFont(Twips::font("MS Sans Serif", 9.75, true));
    Twips::place(lstShowSongs, 0, 410, 9495, 4860);
    Label1 = makeLabel(this, QStringLiteral("Total Songs:"), 0, 5280, 1335, 375);
    Label2 = makeLabel(this, QString(), 1320, 5280, 5295, 375);
    cmdPlaynext = makeButton(this, QStringLiteral("&Play Next"), 6600, 5280, 1455, 375);
    cmdClose = makeButton(this, QStringLiteral("&Close"), 8040, 5280, 1455, 375);

    connect(cmdPlaynext, &QPushButton::clicked, this, [this] { cmdPlaynext_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(lstShowSongs, &QTreeView::doubleClicked, this, [this] { lstShowSongs_DblClick(); });
    PreListen::MakeAction(lstShowSongs, [this](CueSong& song) {
        const int i = ListIndex();
        return i >= 0 && SplitEntry(List(i), song.name, song.folder);
    });
    lstShowSongs->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Lengths read meanwhile show in the Length column.
    if (form1* main = Windows::Find<form1>())
        connect(&main->cueTime_, &CueTime::LengthsChanged, lstShowSongs->viewport(),
                qOverload<>(&QWidget::update));
}

formlist::~formlist() = default;

int formlist::ListCount() const {
    return entries_->rowCount();
}

QString formlist::List(int index) const {
    return entries_->Text(index, 0);
}

int formlist::ListIndex() const {
    const QModelIndexList sel = lstShowSongs->selectionModel()->selectedRows();
    return sel.isEmpty() ? -1 : sel.first().row();
}

void formlist::SetListIndex(int index) {
    if (index < 0 || index >= ListCount()) {
        lstShowSongs->selectionModel()->clearSelection();
        return;
    }
    lstShowSongs->setCurrentIndex(entries_->index(index, 0));
}

void formlist::FillList() {
    // The lengths are the cue's reader's, which the main window owns.
    form1* main = Windows::Find<form1>();
    if (Options::Get(Options::ShowTagColumns)) {
        entries_->SetColumns(kEntryFields + QStringList{QStringLiteral("artist2"), QStringLiteral("title")},
                             tagColumns(main ? &main->cueTime_ : nullptr));
        for (int c = 0; c < entries_->columnCount(); ++c)
            lstShowSongs->setColumnWidth(c, Twips::px(kTagColumnTwips[c]));
    } else {
        entries_->SetColumns(kEntryFields, {{QString(), entry}});
    }
    // One column is a plain list: no header to show or click.
    lstShowSongs->setHeaderHidden(entries_->columnCount() == 1);
    lstShowSongs->header()->setSectionsClickable(entries_->columnCount() > 1);
    lstShowSongs->header()->setSortIndicatorShown(entries_->columnCount() > 1);
    lstShowSongs->header()->setSortIndicator(-1, Qt::AscendingOrder);

    // A failed read keeps what was read so far; the window says nothing.
    Module1::rsLibrary.Close();
    Module1::StrSQL = QStringLiteral("Select * FROM songs order by artist");
    entries_->Fill(Module1::cnLibrary, Module1::StrSQL);

    try {
        openLibrary(QStringLiteral("Select Count(Artist) as Total from songs"));
        Label2->setText(Module1::rsLibrary.Fields(QStringLiteral("Total")).toString());
    } catch (const StoreError&) {
    }
    Module1::rsLibrary.Close();
}

bool formlist::SplitEntry(const QString& entry, QString& name, QString& folder) {
    const qsizetype slash = entry.indexOf(QLatin1Char('/'));
    if (slash < 2 || entry[slash - 1] != QLatin1Char(' ')) return false;
    name = entry.left(slash - 1);
    folder = entry.mid(slash);
    return true;
}

void formlist::addToCue(const QString& entry, bool atTop) {
    QString name, folder;
    if (!SplitEntry(entry, name, folder)) return;
    const QVector<CueSong> song{{name, folder}};
    if (atTop)
        Cue::InsertAtTop(song, Cue::Count::Refresh, Cue::Backup::Write);
    else
        Cue::Append(song, Cue::Count::Refresh, Cue::Backup::Write);
}

void formlist::cmdPlaynext_Click() {
    const int i = ListIndex();
    if (i < 0 || List(i).trimmed().isEmpty()) return;
    addToCue(List(i), true);
}

void formlist::lstShowSongs_DblClick() {
    const int i = ListIndex();
    if (i < 0) return;
    addToCue(List(i), false);
}

void formlist::Form_Load() {
    FillList();
    m_Isloading = true;
    El.Init(this);
    m_Isloading = false;
    SetHeight(6045);
    SetWidth(9585);
}

void formlist::Form_Resize() {
    if (!m_Isloading) El.FormResize(this);
    // Never smaller than designed.
    if (Height() < 6045) SetHeight(6045);
    if (Width() < 9585) SetWidth(9585);
}

void formlist::Form_Unload(int& Cancel) {
    (void)Cancel;
    // The main window may already be on its way out when it unloads this one.
    if (form1* f = Windows::Find<form1>()) f->cmdShowSongs->setEnabled(true);
}

void formlist::cmdClose_Click() {
    if (form1* f = Windows::Find<form1>()) f->cmdShowSongs->setEnabled(true);
    Windows::Unload<formlist>();
}

#include "app/Cue.h"
#include "app/ListView.h"

#include <QDataStream>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>

#include "app/SortedOrder.h"
#include "layout/Twips.h"

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows.size();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : headers.size();
}

QStringList ListModel::cells(int row0) const {
    const QStringList& r = rows[row0];
    return r.isEmpty() && source ? source(row0) : r;
}

QString ListModel::text(int row0, int column) const {
    const QStringList c = cells(row0);
    return column >= c.size() && shownBeyond ? shownBeyond(c, column) : c.value(column);
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return text(index.row(), index.column());
}

void ListModel::sortRows(int column, Qt::SortOrder order) {
    keepSourceRows();
    selected.resize(rows.size());
    const std::vector<int> order0 = SortedOrder(
        int(rows.size()),
        [&](int r) {
            const QStringList c = cells(r);
            return column >= c.size() && sortedBeyond ? sortedBeyond(c, column) : text(r, column);
        },
        order);
    QVector<QStringList> sortedRows(rows.size());
    QVector<char> sortedSelected(rows.size());
    int sortedCurrent = -1;
    for (int i = 0; i < int(order0.size()); ++i) {
        sortedRows[i] = rows[order0[i]];
        sortedSelected[i] = selected[order0[i]];
        if (order0[i] == current) sortedCurrent = i;
    }
    changing = true;
    beginResetModel();
    rows = sortedRows;
    selected = sortedSelected;
    current = sortedCurrent;
    endResetModel();
    changing = false;
}

void ListModel::keepSourceRows() {
    if (!source) return;
    for (int r = 0; r < rows.size(); ++r)
        if (rows[r].isEmpty()) rows[r] = source(r);
    source = nullptr;
}

QVariant ListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < headers.size()) return headers[section];
    return {};
}

void ListModel::insertRowAt(int row0, const QStringList& cells) {
    insertRowsAt(row0, {cells});
}

void ListModel::insertRowsAt(int row0, const QVector<QStringList>& more) {
    if (more.isEmpty()) return;
    selected.resize(rows.size());
    row0 = std::clamp(row0, 0, int(rows.size()));
    const int n = more.size();
    // Source rows are numbered from the top, which a new row would shift.
    keepSourceRows();
    changing = true;
    beginInsertRows(QModelIndex(), row0, row0 + n - 1);
    rows.insert(row0, n, QStringList());
    std::copy(more.begin(), more.end(), rows.begin() + row0);
    selected.insert(row0, n, 0);
    if (current >= row0) current += n;
    endInsertRows();
    changing = false;
}

void ListModel::removeRowAt(int row0) {
    keepSourceRows();
    selected.resize(rows.size());
    changing = true;
    beginRemoveRows(QModelIndex(), row0, row0);
    rows.removeAt(row0);
    selected.removeAt(row0);
    if (current == row0)
        current = -1;
    else if (current > row0)
        --current;
    endRemoveRows();
    changing = false;
}

void ListModel::removeSelectedRows() {
    keepSourceRows();
    selected.resize(rows.size());
    // From the bottom up, so the row numbers of runs still to come stay put.
    int end = rows.size() - 1;
    while (end >= 0) {
        if (!selected[end]) {
            --end;
            continue;
        }
        int begin = end;
        while (begin > 0 && selected[begin - 1]) --begin;
        changing = true;
        beginRemoveRows(QModelIndex(), begin, end);
        rows.remove(begin, end - begin + 1);
        selected.remove(begin, end - begin + 1);
        if (current >= begin && current <= end)
            current = -1;
        else if (current > end)
            current -= end - begin + 1;
        endRemoveRows();
        changing = false;
        end = begin - 1;
    }
}

void ListModel::appendRows(const QVector<QStringList>& more) {
    insertRowsAt(rows.size(), more);
}

void ListModel::clearRows() {
    changing = true;
    beginResetModel();
    rows.clear();
    selected.clear();
    current = -1;
    source = nullptr;
    endResetModel();
    changing = false;
}

void ListModel::setSourceRows(int count, std::function<QStringList(int)> supply) {
    changing = true;
    beginResetModel();
    rows = QVector<QStringList>(count);
    selected = QVector<char>(count, 0);
    current = -1;
    source = std::move(supply);
    endResetModel();
    changing = false;
}

void ListModel::setHeaders(const QStringList& h) {
    changing = true;
    beginResetModel();
    headers = h;
    endResetModel();
    changing = false;
}

void ListModel::setCell(int row0, int col, const QString& value) {
    if (rows[row0].isEmpty() && source) rows[row0] = source(row0);
    QStringList& r = rows[row0];
    while (r.size() <= col) r << QString();
    r[col] = value;
    emit dataChanged(index(row0, col), index(row0, col));
}

ListView::ListView(QWidget* parent) : QTreeView(parent), model_(new ListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setMouseTracking(true);
    header()->setStretchLastSection(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::userSelectionChanged);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { userCurrentChanged(current); });
    // Rows changed behind the list's back (straight on the model) also leave
    // the view's selection to be rebuilt from the flags.
    connect(model_, &QAbstractItemModel::rowsInserted, this, &ListView::viewSelectionStale);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &ListView::viewSelectionStale);
    connect(model_, &QAbstractItemModel::modelReset, this, &ListView::viewSelectionStale);
    header()->setSectionsClickable(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (!sortable_) return;
        const Qt::SortOrder order = ClickedSortOrder(header(), column);
        model_->sortRows(column, order);
        header()->setSortIndicator(column, order);
    });
}

void ListView::SetColumns(const QVector<Column>& columns) {
    QStringList names;
    for (const auto& c : columns) names << c.name;
    model_->setHeaders(names);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnHidden(i, columns[i].widthTwips == 0);
        if (columns[i].widthTwips > 0) setColumnWidth(i, Twips::px(columns[i].widthTwips));
    }
}

void ListView::SetSortable(bool on) {
    sortable_ = on;
    header()->setSectionsClickable(on);
    header()->setSortIndicatorShown(on);
}

void ListView::viewSelectionStale() {
    if (stale_) return;
    stale_ = true;
    syncing_ = true;
    selectionModel()->clear();
    syncing_ = false;
    QMetaObject::invokeMethod(this, &ListView::syncViewSelection, Qt::QueuedConnection);
}

void ListView::syncViewSelection() {
    if (!stale_) return;
    stale_ = false;
    const int n = model_->rows.size();
    const int lastColumn = model_->columnCount() - 1;
    QItemSelection sel;
    if (lastColumn >= 0) {
        for (int r = 0; r < n; ++r) {
            if (!model_->isSelected(r)) continue;
            int e = r;
            while (e + 1 < n && model_->isSelected(e + 1)) ++e;
            sel.append(QItemSelectionRange(model_->index(r, 0), model_->index(e, lastColumn)));
            r = e;
        }
    }
    syncing_ = true;
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    // A selected item set from code does not scroll the list: a handler that
    // walks every row would otherwise leave the view at the bottom.
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    if (model_->current >= 0 && model_->current < n)
        selectionModel()->setCurrentIndex(model_->index(model_->current, 0), QItemSelectionModel::NoUpdate);
    setAutoScroll(scrolls);
    syncing_ = false;
}

void ListView::userSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (ignoreViewSignals()) return;
    model_->selected.resize(model_->rows.size());
    for (const QItemSelectionRange& r : deselected)
        for (int i = r.top(); i <= r.bottom() && i < model_->selected.size(); ++i) model_->selected[i] = 0;
    for (const QItemSelectionRange& r : selected)
        for (int i = r.top(); i <= r.bottom() && i < model_->selected.size(); ++i) model_->selected[i] = 1;
}

void ListView::userCurrentChanged(const QModelIndex& current) {
    if (ignoreViewSignals()) return;
    model_->current = current.isValid() ? current.row() : -1;
}

int ListView::Count() const {
    return model_->rows.size();
}

int ListView::Add(int index, const QString& text) {
    const int row0 = (index <= 0 || index > Count()) ? Count() : index - 1;
    viewSelectionStale();
    model_->insertRowAt(row0, QStringList{text});
    return row0 + 1;
}

void ListView::AddRows(const QVector<QStringList>& rows) {
    InsertRows(0, rows);
}

void ListView::InsertRows(int index, const QVector<QStringList>& rows) {
    if (rows.isEmpty()) return;
    const int row0 = (index <= 0 || index > Count()) ? Count() : index - 1;
    viewSelectionStale();
    model_->insertRowsAt(row0, rows);
}

void ListView::Remove(int index) {
    if (!validRow(index)) return;
    viewSelectionStale();
    model_->removeRowAt(index - 1);
}

void ListView::RemoveSelected() {
    viewSelectionStale();
    model_->removeSelectedRows();
}

void ListView::Clear() {
    viewSelectionStale();
    model_->clearRows();
    // New rows come in their own order.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
}

void ListView::SetSourceRows(int count, std::function<QStringList(int)> cells) {
    viewSelectionStale();
    model_->setSourceRows(count, std::move(cells));
}

QString ListView::Text(int index) const {
    return validRow(index) ? model_->cells(index - 1).value(0) : QString();
}

QString ListView::SubItem(int index, int k) const {
    return validRow(index) ? model_->cells(index - 1).value(k) : QString();
}

void ListView::SetSubItem(int index, int k, const QString& value) {
    if (validRow(index) && k >= 0) model_->setCell(index - 1, k, value);
}

bool ListView::Selected(int index) const {
    return validRow(index) && model_->isSelected(index - 1);
}

void ListView::SetSelected(int index, bool selected) {
    if (!validRow(index)) return;
    model_->selected.resize(model_->rows.size());
    if (bool(model_->selected[index - 1]) == selected) return;
    model_->selected[index - 1] = selected ? 1 : 0;
    viewSelectionStale();
}

void ListView::ClearSelection() {
    model_->selected.fill(0, model_->rows.size());
    viewSelectionStale();
}

int ListView::SelectedItem() const {
    return validRow(model_->current + 1) ? model_->current + 1 : 0;
}

void ListView::SetSelectedItem(int index) {
    if (!validRow(index)) return;
    model_->current = index - 1;
    model_->selected.resize(model_->rows.size());
    model_->selected[index - 1] = 1;
    viewSelectionStale();
}

void ListView::ToolTipFromSelectedItem(int k) {
    if (Count() >= 1 && SelectedItem() > 0) setToolTip(SubItem(SelectedItem(), k));
}

namespace {
int vbButton(Qt::MouseButtons b) {
    int v = 0;
    if (b & Qt::LeftButton) v |= 1;
    if (b & Qt::RightButton) v |= 2;
    if (b & Qt::MiddleButton) v |= 4;
    return v;
}
int vbShift(Qt::KeyboardModifiers m) {
    int v = 0;
    if (m & Qt::ShiftModifier) v |= 1;
    if (m & Qt::ControlModifier) v |= 2;
    if (m & Qt::AltModifier) v |= 4;
    return v;
}
}  // namespace

void ListView::mousePressEvent(QMouseEvent* e) {
    QTreeView::mousePressEvent(e);
    const QPoint p = e->position().toPoint();
    emit MouseDown(vbButton(e->button()), vbShift(e->modifiers()), p.x(), p.y());
    if (e->button() == Qt::LeftButton && indexAt(p).isValid()) emit Click();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* e) {
    QTreeView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit DblClick();
}

void ListView::mouseMoveEvent(QMouseEvent* e) {
    QTreeView::mouseMoveEvent(e);
    const QPoint p = e->position().toPoint();
    emit MouseMove(vbButton(e->buttons()), vbShift(e->modifiers()), p.x(), p.y());
}

namespace {
const QString kRowsMime = QStringLiteral("application/x-velumix-rows");
}  // namespace

QString ListView::RowsMimeType() {
    return kRowsMime;
}

void ListView::SetDragRows(std::function<QVector<QStringList>()> rows) {
    dragRows_ = std::move(rows);
    setDragEnabled(bool(dragRows_));
}

void ListView::SetDrop(std::function<void(const QMimeData*, int)> drop) {
    drop_ = std::move(drop);
    setAcceptDrops(bool(drop_));
    viewport()->setAcceptDrops(bool(drop_));
    setDropIndicatorShown(bool(drop_));
}

QMimeData* ListView::RowsMime(const QVector<QStringList>& rows, const ListView* from) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    // The source is only ever compared with a list of this process.
    out << quintptr(from) << rows;
    auto* mime = new QMimeData;
    mime->setData(kRowsMime, bytes);
    return mime;
}

QVector<QStringList> ListView::RowsOf(const QMimeData* mime, const ListView** from) {
    QVector<QStringList> rows;
    if (!mime || !mime->hasFormat(kRowsMime)) return rows;
    QDataStream in(mime->data(kRowsMime));
    quintptr source = 0;
    in >> source >> rows;
    if (from) *from = reinterpret_cast<const ListView*>(source);
    return rows;
}

void ListView::startDrag(Qt::DropActions) {
    if (!dragRows_) return;
    const QVector<QStringList> rows = dragRows_();
    if (rows.isEmpty()) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(RowsMime(rows, this));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void ListView::dragEnterEvent(QDragEnterEvent* e) {
    if (drop_ && (e->mimeData()->hasFormat(kRowsMime) || e->mimeData()->hasUrls()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void ListView::dragMoveEvent(QDragMoveEvent* e) {
    QTreeView::dragMoveEvent(e);  // the drop indicator
    if (drop_ && (e->mimeData()->hasFormat(kRowsMime) || e->mimeData()->hasUrls()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void ListView::dropEvent(QDropEvent* e) {
    if (!drop_) return e->ignore();
    const QModelIndex at = indexAt(e->position().toPoint());
    int before = 0;
    if (at.isValid()) {
        // The lower half of a row drops below it.
        const QRect r = visualRect(at);
        before = at.row() + 1 + (e->position().y() > r.center().y() ? 1 : 0);
        if (before > Count()) before = 0;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    drop_(e->mimeData(), before);
}

QVector<QStringList> SelectedRows(const ListView* list) {
    QVector<QStringList> rows;
    for (int i = 1; i <= list->Count(); ++i)
        if (list->Selected(i)) rows.append(Cue::Row(Cue::SongAt(list, i)));
    return rows;
}

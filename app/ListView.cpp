#include "app/ListView.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "app/Twips.h"

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows.size();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : headers.size();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const QStringList& r = rows[index.row()];
    return index.column() < r.size() ? r[index.column()] : QString();
}

QVariant ListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < headers.size()) return headers[section];
    return {};
}

void ListModel::insertRowAt(int row0, const QStringList& cells) {
    beginInsertRows(QModelIndex(), row0, row0);
    rows.insert(row0, cells);
    endInsertRows();
}

void ListModel::removeRowAt(int row0) {
    beginRemoveRows(QModelIndex(), row0, row0);
    rows.removeAt(row0);
    endRemoveRows();
}

void ListModel::appendRows(const QVector<QStringList>& more) {
    if (more.isEmpty()) return;
    beginInsertRows(QModelIndex(), rows.size(), rows.size() + more.size() - 1);
    rows += more;
    endInsertRows();
}

void ListModel::clearRows() {
    beginResetModel();
    rows.clear();
    endResetModel();
}

void ListModel::setHeaders(const QStringList& h) {
    beginResetModel();
    headers = h;
    endResetModel();
}

void ListModel::setCell(int row0, int col, const QString& value) {
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

int ListView::Count() const {
    return model_->rows.size();
}

int ListView::Add(int index, const QString& text) {
    const int row0 = (index <= 0 || index > Count()) ? Count() : index - 1;
    model_->insertRowAt(row0, QStringList{text});
    return row0 + 1;
}

void ListView::AddRows(const QVector<QStringList>& rows) {
    model_->appendRows(rows);
}

void ListView::Remove(int index) {
    if (validRow(index)) model_->removeRowAt(index - 1);
}

void ListView::Clear() {
    model_->clearRows();
}

QString ListView::Text(int index) const {
    return validRow(index) ? model_->rows[index - 1].value(0) : QString();
}

QString ListView::SubItem(int index, int k) const {
    return validRow(index) ? model_->rows[index - 1].value(k) : QString();
}

void ListView::SetSubItem(int index, int k, const QString& value) {
    if (validRow(index) && k >= 0) model_->setCell(index - 1, k, value);
}

bool ListView::Selected(int index) const {
    return validRow(index) && selectionModel()->isRowSelected(index - 1, QModelIndex());
}

void ListView::SetSelected(int index, bool selected) {
    if (!validRow(index)) return;
    selectionModel()->select(
        model_->index(index - 1, 0),
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows);
}

void ListView::ClearSelection() {
    selectionModel()->clearSelection();
}

int ListView::SelectedItem() const {
    const QModelIndex cur = selectionModel()->currentIndex();
    return cur.isValid() ? cur.row() + 1 : 0;
}

void ListView::SetSelectedItem(int index) {
    if (!validRow(index)) return;
    selectionModel()->setCurrentIndex(model_->index(index - 1, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
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

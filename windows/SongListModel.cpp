#include "windows/SongListModel.h"

#include "app/SortedOrder.h"

SongListModel::SongListModel(const QStringList& fields, const QVector<Column>& columns, QObject* parent)
    : QAbstractTableModel(parent), fields_(fields), columns_(columns) {}

void SongListModel::Fill(Connection& cn, const QString& sql) {
    beginResetModel();
    order_.clear();
    rows_ = std::make_unique<SongListing>(cn, sql, fields_);
    endResetModel();
}

void SongListModel::SetColumns(const QStringList& fields, const QVector<Column>& columns) {
    beginResetModel();
    fields_ = fields;
    columns_ = columns;
    order_.clear();
    rows_.reset();
    endResetModel();
}

QString SongListModel::Field(int row, const QString& field) const {
    if (!rows_) return {};
    if (!order_.empty()) row = row >= 0 && size_t(row) < order_.size() ? order_[size_t(row)] : -1;
    return rows_->Text(row, int(fields_.indexOf(field)));
}

QString SongListModel::Text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columns_.size()) return {};
    return columns_[column].text(*this, row);
}

int SongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !rows_ ? 0 : rows_->Count();
}

int SongListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return Text(index.row(), index.column());
}

QVariant SongListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].header;
    return {};
}

void SongListModel::sort(int column, Qt::SortOrder order) {
    const int n = rowCount();
    std::vector<int> shown;  // the listing row each row shows now
    shown.reserve(size_t(n));
    for (int r = 0; r < n; ++r) shown.push_back(order_.empty() ? r : order_[size_t(r)]);
    std::vector<int> sorted;
    if (column >= 0 && column < columns_.size()) {
        const Column& c = columns_[column];
        const auto& key = c.sortKey ? c.sortKey : c.text;
        for (int r : SortedOrder(
                 n, [&](int row) { return key(*this, row); }, order))
            sorted.push_back(shown[size_t(r)]);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Where each listing row goes, for the selection and current row.
    std::vector<int> rowOf(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) rowOf[size_t(sorted.empty() ? r : sorted[size_t(r)])] = r;
    QModelIndexList from = persistentIndexList(), to;
    for (const QModelIndex& i : from) to << index(rowOf[size_t(shown[size_t(i.row())])], i.column());
    changePersistentIndexList(from, to);
    order_ = std::move(sorted);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

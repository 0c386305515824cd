#include "windows/SongListModel.h"

SongListModel::SongListModel(const QStringList& fields, const QVector<Column>& columns, QObject* parent)
    : QAbstractTableModel(parent), fields_(fields), columns_(columns) {}

void SongListModel::Fill(Connection& cn, const QString& sql) {
    beginResetModel();
    rows_ = std::make_unique<SongListing>(cn, sql, fields_);
    endResetModel();
}

QString SongListModel::Field(int row, const QString& field) const {
    return rows_ ? rows_->Text(row, int(fields_.indexOf(field))) : QString();
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

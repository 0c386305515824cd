#pragma once
// Songs of a library listing as a table model for a view. The listing holds a
// compact snapshot of a few library columns (its "fields"), its first rows
// read at once and the rest behind them; a column's text is made from a row's
// fields only when the view shows it, so 200,000 songs cost no widget rows
// and no text per row. The columns are a list: a window shows more of a song
// by adding one.
#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "library/SongListing.h"

class Connection;

class SongListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Column {
        QString header;
        // The column's text for a row, made from the row's fields.
        std::function<QString(const SongListModel&, int row)> text;
        // What a header click sorts the column by, when not its text.
        std::function<QString(const SongListModel&, int row)> sortKey = {};
    };

    // `fields` are the library columns read for every song.
    SongListModel(const QStringList& fields, const QVector<Column>& columns, QObject* parent = nullptr);

    // Replaces the rows by those of a "select * from songs ..." statement.
    // A failed read keeps the rows read so far.
    void Fill(Connection& cn, const QString& sql);
    // Shows other columns, made from other fields; the rows go until the next Fill.
    void SetColumns(const QStringList& fields, const QVector<Column>& columns);

    const QVector<Column>& Columns() const { return columns_; }
    // A library column of the row, by its name among the fields.
    QString Field(int row, const QString& field) const;
    // A column's text for the row.
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // Reorders the rows by a column (-1: back to the listing's order); the
    // selection moves along with its rows. Sorting waits for every row.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  private:
    QStringList fields_;
    QVector<Column> columns_;
    std::unique_ptr<SongListing> rows_;
    std::vector<int> order_;  // row k shows listing row order_[k]; empty: the listing's order
};

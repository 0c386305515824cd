#pragma once
// A read-only snapshot of some text columns of the rows a listing statement
// returns, in the statement's order, read straight from the engine into one
// buffer of UTF-8. Walking a recordset over 200,000 songs builds millions of
// variants and, for a listing ordered by an index, visits the table in index
// order, one scattered page at a time; this reads the order from the index
// alone and the rows in one sequential pass, and keeps them compact.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class Connection;

class SongRows {
  public:
    // Reads the given columns of the rows of `sql`, which must be a
    // "select * from TABLE ..." statement. A column the table lacks, or a
    // statement the engine refuses, stops the read: Error() then says why and
    // the rows read so far are kept.
    static SongRows Read(Connection& cn, const QString& sql, const QStringList& columns);

    int Count() const { return int(order_.size()); }
    int ColumnCount() const { return columns_; }
    // A Null column reads as empty text.
    QString Text(int row, int column) const;
    // The cell's bytes, without a copy: valid while these rows live.
    QByteArray Utf8(int row, int column) const;
    QString Error() const { return error_; }

  private:
    friend class SongListing;
    struct Reader;  // the passes of Read
    // Whether the statement orders its rows (else it is read in one pass).
    static bool Ordered(const QString& sql);
    int columns_ = 0;
    QByteArray text_;                  // every cell, back to back
    std::vector<std::uint32_t> ends_;  // where each stored cell ends in text_
    std::vector<int> order_;           // the statement's row k is stored row order_[k]
    QString error_;
};

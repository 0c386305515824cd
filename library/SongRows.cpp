#include "library/SongRows.h"

#include <QRegularExpression>

#include "library/SongRowsReader.h"
#include "library/SqlFunctions.h"
#include "library/Store.h"

using namespace songrows;

bool SongRows::Ordered(const QString& sql) {
    static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return orderBy.match(sql).hasMatch();
}

SongRows SongRows::Read(Connection& cn, const QString& sql, const QStringList& columns) {
    SongRows rows;
    rows.columns_ = int(columns.size());
    QString table;
    const QString rowsSql = Recordset::RowsStatement(sql, &table);
    sqlite3* db = SqliteHandle(cn.database());
    if (rowsSql.isEmpty() || columns.isEmpty()) {
        rows.error_ = QStringLiteral("Not a listing of a table's rows: %1").arg(sql);
        return rows;
    }
    if (!db) {
        rows.error_ = QStringLiteral("The library connection is not open.");
        return rows;
    }
    // Order and rows must come from one state of the library, even if another
    // program writes to it between the two reads.
    const bool ownTransaction = sqlite3_get_autocommit(db) != 0;
    if (ownTransaction && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        rows.error_ = engineError(db);
        return rows;
    }
    Reader reader{rows, db};
    std::vector<sqlite3_int64> ids;
    if (!Ordered(sql))
        reader.readAll(rowsSql, columns);
    else if (reader.readOrder(rowsSql, ids) && ids.size() < size_t(kLookupLimit))
        reader.lookUp(table, columns, ids);
    else if (rows.error_.isEmpty())
        reader.scan(table, columns, ids);
    if (ownTransaction) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return rows;
}

QByteArray SongRows::Utf8(int row, int column) const {
    if (row < 0 || row >= Count() || column < 0 || column >= columns_) return {};
    const size_t cell = size_t(order_[size_t(row)]) * size_t(columns_) + size_t(column);
    const std::uint32_t begin = cell == 0 ? 0 : ends_[cell - 1];
    return QByteArray::fromRawData(text_.constData() + begin, qsizetype(ends_[cell] - begin));
}

QString SongRows::Text(int row, int column) const {
    return QString::fromUtf8(Utf8(row, column));
}

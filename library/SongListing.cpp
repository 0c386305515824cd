#include "library/SongListing.h"

#include <utility>
#include <vector>

#include "library/SongRowsReader.h"
#include "library/SqlFunctions.h"
#include "library/Store.h"

SongListing::SongListing(Connection& cn, const QString& sql, const QStringList& columns) {
    sqlite3* library = SqliteHandle(cn.database());
    // Inside a transaction of its own the library connection may hold rows
    // no other connection sees yet: then it reads them itself.
    if (library && sqlite3_get_autocommit(library) && SongRows::Ordered(sql) &&
        readFirst(library, cn.BusyTimeoutMs, sql, columns))
        return;
    all_ = SongRows::Read(cn, sql, columns);
    count_ = all_.Count();
    done_ = true;
}

SongListing::~SongListing() {
    wait();
    closeReader();
}

bool SongListing::readFirst(sqlite3* library, int busyTimeoutMs, const QString& sql,
                            const QStringList& columns) {
    QString table;
    const QString rowsSql = Recordset::RowsStatement(sql, &table);
    const char* file = sqlite3_db_filename(library, "main");
    if (rowsSql.isEmpty() || columns.isEmpty() || !file || !*file) return false;
    if (sqlite3_open_v2(file, &reader_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        closeReader();
        return false;
    }
    sqlite3_busy_timeout(reader_, busyTimeoutMs);
    // Names must order as on the library's own connection.
    RegisterSqlFunctions(reader_);
    first_.columns_ = all_.columns_ = int(columns.size());
    std::vector<sqlite3_int64> ids;
    // The transaction stays open until the thread has read the rest.
    if (sqlite3_exec(reader_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        !SongRows::Reader{first_, reader_}.readOrder(rowsSql, ids)) {
        closeReader();
        first_ = all_ = SongRows();
        return false;
    }
    count_ = int(ids.size());
    if (ids.size() < size_t(songrows::kLookupLimit)) {
        SongRows::Reader{all_, reader_}.lookUp(table, columns, ids);
        closeReader();
        done_ = true;
        return true;
    }
    SongRows::Reader{first_, reader_}.lookUp(table, columns, {ids.begin(), ids.begin() + kFirstRows});
    thread_ = std::thread([this, table, columns, ids = std::move(ids)] {
        SongRows::Reader{all_, reader_}.scan(table, columns, ids);
        closeReader();
    });
    return true;
}

void SongListing::closeReader() {
    if (!reader_) return;
    sqlite3_exec(reader_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader_);
    reader_ = nullptr;
}

void SongListing::wait() {
    if (thread_.joinable()) thread_.join();
    done_ = true;
}

QString SongListing::Text(int row, int column) {
    if (!done_ && row >= 0 && row < first_.Count()) return first_.Text(row, column);
    wait();
    return all_.Text(row, column);
}

QString SongListing::Error() {
    wait();
    return first_.Error().isEmpty() ? all_.Error() : first_.Error();
}

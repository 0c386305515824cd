#pragma once
// The passes that read a listing into SongRows, straight through the engine:
// shared by the one-pass read and by the listing read on a thread.
#include <QStringList>
#include <algorithm>
#include <memory>
#include <sqlite3.h>
#include <utility>
#include <vector>

#include "library/SongRows.h"

namespace songrows {

// Below this many rows, fetching each by its row id beats reading the table.
constexpr int kLookupLimit = 4096;

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

inline Statement prepare(sqlite3* db, const QString& sql) {
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        st = nullptr;
    }
    return Statement(st, &sqlite3_finalize);
}

inline QString engineError(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

}  // namespace songrows

struct SongRows::Reader {
    using Statement = songrows::Statement;
    SongRows& out;
    sqlite3* db;

    // Stores the current row's cells, found at the given result columns;
    // returns the row's stored index.
    int store(sqlite3_stmt* st, const std::vector<int>& at) {
        for (int c : at) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            out.text_.append(text, text ? sqlite3_column_bytes(st, c) : 0);
            out.ends_.push_back(std::uint32_t(out.text_.size()));
        }
        return int(out.ends_.size() / at.size()) - 1;
    }

    // The result columns holding the wanted fields, in the fields' order.
    bool find(sqlite3_stmt* st, const QStringList& fields, std::vector<int>& at) {
        for (const QString& f : fields) {
            int c = sqlite3_column_count(st) - 1;
            while (c >= 0 &&
                   f.compare(QString::fromUtf8(sqlite3_column_name(st, c)), Qt::CaseInsensitive) != 0)
                --c;
            if (c < 0) {
                out.error_ = QStringLiteral("No column %1 in the listing.").arg(f);
                return false;
            }
            at.push_back(c);
        }
        return true;
    }

    static std::vector<int> columnsFrom(int first, const QStringList& fields) {
        std::vector<int> at(size_t(fields.size()));
        for (size_t k = 0; k < at.size(); ++k) at[k] = first + int(k);
        return at;
    }

    // A listing in no particular order is read as the recordset reads it.
    bool readAll(const QString& rowsSql, const QStringList& fields) {
        Statement st = songrows::prepare(db, rowsSql);
        std::vector<int> at;
        if (!st) return fail();
        if (!find(st.get(), fields, at)) return false;
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) out.order_.push_back(store(st.get(), at));
        return rc == SQLITE_DONE || fail();
    }

    bool fail() {
        out.error_ = songrows::engineError(db);
        return false;
    }

    // The row ids of an ordered listing, in its order: for a listing ordered
    // by an indexed column the engine reads the index alone.
    bool readOrder(const QString& rowsSql, std::vector<sqlite3_int64>& ids) {
        // On its own line, so a remark at the statement's end cannot swallow it.
        Statement st = songrows::prepare(db, QStringLiteral("SELECT velumix_rowid FROM (%1\n)").arg(rowsSql));
        if (!st) return fail();
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st.get(), 0));
        return rc == SQLITE_DONE || fail();
    }

    bool lookUp(const QString& table, const QStringList& fields, const std::vector<sqlite3_int64>& ids) {
        Statement st = songrows::prepare(
            db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(fields.join(", "), table));
        if (!st) return fail();
        const std::vector<int> at = columnsFrom(0, fields);
        for (sqlite3_int64 id : ids) {
            sqlite3_bind_int64(st.get(), 1, id);
            const int rc = sqlite3_step(st.get());
            if (rc == SQLITE_ROW)
                out.order_.push_back(store(st.get(), at));
            else if (rc != SQLITE_DONE)
                return fail();
            sqlite3_reset(st.get());
        }
        return true;
    }

    // Reads the whole table front to back and keeps the listed rows, then
    // puts them in the listing's order.
    bool scan(const QString& table, const QStringList& fields, const std::vector<sqlite3_int64>& ids) {
        std::vector<std::pair<sqlite3_int64, int>> wanted(ids.size());
        for (size_t k = 0; k < ids.size(); ++k) wanted[k] = {ids[k], int(k)};
        std::sort(wanted.begin(), wanted.end());
        // Only the wanted columns: the engine then decodes no others.
        Statement st = songrows::prepare(
            db, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(fields.join(", "), table));
        if (!st) return fail();
        const std::vector<int> at = columnsFrom(1, fields);
        std::vector<int> placed(ids.size(), -1);
        size_t w = 0;
        int rc = SQLITE_DONE;
        while (w < wanted.size() && (rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            const sqlite3_int64 id = sqlite3_column_int64(st.get(), 0);
            while (w < wanted.size() && wanted[w].first < id) ++w;
            if (w == wanted.size() || wanted[w].first != id) continue;
            const int stored = store(st.get(), at);
            for (; w < wanted.size() && wanted[w].first == id; ++w) placed[wanted[w].second] = stored;
        }
        const bool ok = w == wanted.size() || rc == SQLITE_DONE;
        for (int stored : placed)
            if (stored >= 0) out.order_.push_back(stored);
        return ok || fail();
    }
};

#include "library/SongSearch.h"

#include <QHash>
#include <algorithm>
#include <sqlite3.h>

#include "library/SqlFunctions.h"
#include "library/Store.h"

namespace {

// One number the engine reports, or -1.
std::int64_t pragma(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    std::int64_t v = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

}  // namespace

std::size_t SongSearch::Bytes() const {
    std::size_t folders = 0;
    for (const QString& f : folders_) folders += sizeof(QString) + std::size_t(f.size()) * 2;
    return text_.capacity() + ends_.capacity() * 4 + nulls_.capacity() + nonAscii_.capacity() * 4 +
           folder_.capacity() * 4 + folders;
}

bool SongSearch::current(sqlite3* db, std::int64_t opened) {
    // data_version moves when another connection commits, the change count
    // when this one writes.
    return opened == opened_ && sqlite3_total_changes64(db) == changes_ &&
           pragma(db, "PRAGMA data_version") == version_;
}

bool SongSearch::read(sqlite3* db) {
    text_.clear();
    ends_.clear();
    nulls_.clear();
    nonAscii_.clear();
    folder_.clear();
    folders_.clear();
    opened_ = -1;
    QHash<QByteArray, std::uint32_t> folderIds;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT artist, title, artist2, album, path FROM songs ORDER BY rowid", -1,
                           &st, nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::uint8_t nulls = 0;
        for (int f = 0; f < kFields; ++f) {
            if (sqlite3_column_type(st, f) == SQLITE_NULL) nulls |= std::uint8_t(1 << f);
            const char* s = reinterpret_cast<const char*>(sqlite3_column_text(st, f));
            const int n = sqlite3_column_bytes(st, f);
            if (n) text_.append(s, std::size_t(n));
            if (std::any_of(s, s + n, [](char c) { return c & 0x80; }))
                nonAscii_.push_back(std::uint32_t(ends_.size()));
            ends_.push_back(std::uint32_t(text_.size()));
            text_.push_back('\0');
        }
        nulls_.push_back(nulls);
        // Songs share few folders.
        const QByteArray folder(reinterpret_cast<const char*>(sqlite3_column_text(st, 4)),
                                sqlite3_column_bytes(st, 4));
        auto id = folderIds.constFind(folder);
        if (id == folderIds.cend()) {
            id = folderIds.insert(folder, std::uint32_t(folders_.size()));
            folders_.push_back(QString::fromUtf8(folder));
        }
        folder_.push_back(*id);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE || text_.size() >= UINT32_MAX) return false;
    text_.shrink_to_fit();
    return true;
}

bool SongSearch::Find(Connection& cn, const QString& text, bool tagsToo, QVector<Song>& songs) {
    songs.clear();
    sqlite3* db = SqliteHandle(cn.database());
    if (!db || !sqlite3_get_autocommit(db) || text.contains(QChar(0))) return false;
    if (!current(db, cn.Opening())) {
        const std::int64_t version = pragma(db, "PRAGMA data_version");
        if (!read(db)) return false;
        opened_ = cn.Opening();
        changes_ = sqlite3_total_changes64(db);
        version_ = version;
    }

    // Bit f of a song: field f is like the pattern.
    const LikePattern like(QByteArray("%") + text.toUtf8() + "%");
    std::vector<std::uint8_t> hits(nulls_.size());
    auto field = [&](std::uint32_t k) {
        const std::uint32_t begin = k ? ends_[k - 1] + 1 : 0;
        return std::pair<const char*, std::size_t>(text_.data() + begin, ends_[k] - begin);
    };
    auto test = [&](std::uint32_t k) {
        const auto [s, n] = field(k);
        if (like.Matches(s, n)) hits[k / kFields] |= std::uint8_t(1 << (k % kFields));
    };
    if (like.HasNeedle()) {
        // One sweep for the needle; a hit cannot span two fields, the needle holding no NUL.
        const char* all = text_.data();
        std::size_t at = 0;
        while (const char* p = like.FindNeedle(all + at, all + text_.size())) {
            const std::size_t offset = std::size_t(p - all);
            const auto k =
                std::uint32_t(std::upper_bound(ends_.begin(), ends_.end(), offset) - ends_.begin());
            hits[k / kFields] |= std::uint8_t(1 << (k % kFields));
            at = ends_[k] + 1;
        }
        // Other characters may fold to the needle's letters.
        for (std::uint32_t k : nonAscii_)
            if (!(hits[k / kFields] & (1 << (k % kFields)))) test(k);
    } else {
        for (std::uint32_t k = 0; k < ends_.size(); ++k)
            if (!(nulls_[k / kFields] & (1 << (k % kFields)))) test(k);
    }

    // "ifnull(artist, '') not like": a song without a name counts as named "".
    const bool emptyNameMatches = like.Matches("", 0);
    std::vector<std::size_t> byName, byTags;
    for (std::size_t i = 0; i < nulls_.size(); ++i) {
        if (hits[i] & (1 << kName))
            byName.push_back(i);
        else if (tagsToo && (hits[i] & ~(1 << kName)) && !(emptyNameMatches && (nulls_[i] & (1 << kName))))
            byTags.push_back(i);
    }
    byName.insert(byName.end(), byTags.begin(), byTags.end());
    songs.reserve(qsizetype(byName.size()));
    for (std::size_t i : byName) {
        auto text = [&](int f) {
            const auto [s, n] = field(std::uint32_t(i * kFields + f));
            return QString::fromUtf8(s, qsizetype(n));
        };
        songs.append({text(kName), folders_[folder_[i]], text(kArtist), text(kTitle)});
    }
    return true;
}

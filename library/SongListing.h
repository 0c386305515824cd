#pragma once
// A listing that shows before it is all read. Its order and its first rows
// are read at once; the rest is read on a thread of its own, over a
// connection of its own, inside the same read transaction, so every row is
// the library's at one moment. A row beyond the first ones waits for the
// thread; nothing else does.
#include <QString>
#include <QStringList>
#include <sqlite3.h>
#include <thread>

#include "library/SongRows.h"

class Connection;

class SongListing {
  public:
    // Listings in no particular order, short ones, and any the second
    // connection cannot serve are read whole here, as SongRows::Read does.
    SongListing(Connection& cn, const QString& sql, const QStringList& columns);
    ~SongListing();
    SongListing(const SongListing&) = delete;
    SongListing& operator=(const SongListing&) = delete;

    // The rows of the listing, known at once.
    int Count() const { return count_; }
    QString Text(int row, int column);
    // Why the read stopped early, "" when it did not; waits for the thread.
    QString Error();

    static constexpr int kFirstRows = 256;

  private:
    bool readFirst(sqlite3* library, int busyTimeoutMs, const QString& sql, const QStringList& columns);
    void wait();
    void closeReader();

    SongRows first_;  // the first rows, while the thread reads them all
    SongRows all_;
    int count_ = 0;
    sqlite3* reader_ = nullptr;
    std::thread thread_;
    bool done_ = false;
};

#pragma once
#include <QByteArray>
#include <QSqlDatabase>
#include <memory>
#include <string>

struct sqlite3;

// The engine's own handle behind a library connection; null when closed.
sqlite3* SqliteHandle(const QSqlDatabase& db);

// Makes LIKE match letters without regard to case in every script ("BJÖRK"
// finds "björk"), with "%" for any run of characters and "_" for one, and
// makes NOCASE columns sort and compare that way too. Call on every new
// connection to a library.
void RegisterSqlFunctions(QSqlDatabase& db);
void RegisterSqlFunctions(sqlite3* handle);

// A LIKE pattern (no escape) compiled once: the connection's LIKE, for text
// held outside the engine, so both always agree.
class LikePattern {
  public:
    explicit LikePattern(const QByteArray& utf8Pattern);
    ~LikePattern();
    // Whether "text LIKE pattern" holds for the UTF-8 text.
    bool Matches(const char* text, size_t n) const;
    // Whether the pattern is "%text%" with plain ASCII text: a text holding
    // that text (ASCII letter case aside) matches, and an ASCII text only so.
    bool HasNeedle() const;
    // Where that text first occurs in [s, end), letter case aside; null for nowhere.
    const char* FindNeedle(const char* s, const char* end) const;

  private:
    struct Compiled;
    std::unique_ptr<Compiled> p_;
};

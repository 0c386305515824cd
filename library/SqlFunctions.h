#pragma once
#include <QSqlDatabase>

struct sqlite3;

// The engine's own handle behind a library connection; null when closed.
sqlite3* SqliteHandle(const QSqlDatabase& db);

// Makes LIKE match letters without regard to case in every script ("BJÖRK"
// finds "björk"), with "%" for any run of characters and "_" for one, and
// makes NOCASE columns sort and compare that way too. Call on every new
// connection to a library.
void RegisterSqlFunctions(QSqlDatabase& db);
void RegisterSqlFunctions(sqlite3* handle);

#pragma once
#include <QSqlDatabase>

// Makes LIKE match letters without regard to case in every script ("BJÖRK"
// finds "björk"), with "%" for any run of characters and "_" for one, and
// makes NOCASE columns sort and compare that way too. Call on every new
// connection to a library.
void RegisterSqlFunctions(QSqlDatabase& db);

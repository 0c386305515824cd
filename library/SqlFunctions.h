#pragma once
#include <QSqlDatabase>

// Makes LIKE match letters without regard to case in every script ("BJÖRK"
// finds "björk"), with "%" for any run of characters and "_" for one.
void RegisterSqlFunctions(QSqlDatabase& db);

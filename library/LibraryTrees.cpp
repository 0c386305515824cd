#include "library/LibraryTrees.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "library/Module1State.h"
#include "library/TreeWalker.h"

namespace LibraryTrees {

namespace {

QSqlQuery query() {
    return QSqlQuery(Module1::cnLibrary.database());
}

// Runs a statement with its values bound; failures throw, as the store's do.
QSqlQuery run(const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q = query();
    if (!q.prepare(sql)) throw StoreError(q.lastError().text());
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) throw StoreError(q.lastError().text());
    return q;
}

bool haveTables() {
    return Module1::cnLibrary.database().tables().contains(QStringLiteral("velumix_trees"));
}

void makeTables() {
    run(QStringLiteral("CREATE TABLE IF NOT EXISTS velumix_trees (top TEXT PRIMARY KEY)"));
    run(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS velumix_tree_skips (folder TEXT PRIMARY KEY, below INTEGER)"));
}

}  // namespace

QStringList Tops() {
    QStringList tops;
    if (!haveTables()) return tops;
    for (QSqlQuery q = run(QStringLiteral("SELECT top FROM velumix_trees ORDER BY top")); q.next();)
        tops << q.value(0).toString();
    return tops;
}

void Add(const QString& top) {
    makeTables();
    run(QStringLiteral("INSERT OR IGNORE INTO velumix_trees (top) VALUES (?)"), {top});
    // substr, not LIKE: folder names may hold "%" and "_".
    run(QStringLiteral("DELETE FROM velumix_tree_skips WHERE substr(folder, 1, length(?)) = ?"), {top, top});
}

void Remove(const QString& top) {
    if (haveTables()) run(QStringLiteral("DELETE FROM velumix_trees WHERE top = ?"), {top});
}

void Skip(const QString& folder, bool withBelow) {
    makeTables();
    run(QStringLiteral("INSERT OR REPLACE INTO velumix_tree_skips (folder, below) VALUES (?, ?)"),
        {folder, withBelow ? 1 : 0});
}

QStringList WithoutSkipped(const QStringList& folders) {
    if (!haveTables()) return folders;
    QStringList exact, below;
    for (QSqlQuery q = run(QStringLiteral("SELECT folder, below FROM velumix_tree_skips")); q.next();)
        (q.value(1).toInt() == 1 ? below : exact) << q.value(0).toString();
    QStringList kept;
    for (const QString& f : folders) {
        const bool skipped = exact.contains(f) ||
                             std::any_of(below.begin(), below.end(),
                                         [&f](const QString& top) { return TreeWalker::IsWithin(f, top); });
        if (!skipped) kept << f;
    }
    return kept;
}

QList<QPair<QString, int>> LibraryFoldersWithin(const QString& top) {
    QList<QPair<QString, int>> folders;
    QSqlQuery q = run(QStringLiteral("SELECT path, count(*) FROM songs WHERE substr(path, 1, length(?)) = ? "
                                     "GROUP BY path ORDER BY path"),
                      {top, top});
    while (q.next()) folders.append({q.value(0).toString(), q.value(1).toInt()});
    return folders;
}

QString TreeOf(const QString& folder) {
    for (const QString& top : Tops())
        if (TreeWalker::IsWithin(folder, top)) return top;  // sorted: the outermost comes first
    return QString();
}

}  // namespace LibraryTrees

#pragma once
// The folder trees the user added whole, and the folders inside them the user
// removed, kept in tables of our own in the library file (made when the first
// tree is added), so a library made before them opens and works as it did.
// A folder of a tree is still a folder of the library only through its rows.
#include <QString>
#include <QList>
#include <QPair>
#include <QStringList>

namespace LibraryTrees {

// The tops of the trees, sorted; empty when there are none (or no table).
QStringList Tops();
// Adds a tree (top ends in "/") and takes back every earlier removal at or
// below it: adding a folder again brings it back.
void Add(const QString& top);
// Forgets the tree whose top this is; its rows are the caller's.
void Remove(const QString& top);

// Keeps a folder inside a tree out of later rescans; withBelow also the
// folders below it (a removed tree inside another tree).
void Skip(const QString& folder, bool withBelow);
// folders without those kept out.
QStringList WithoutSkipped(const QStringList& folders);

// The library's folders at or below top, each with its number of songs.
QList<QPair<QString, int>> LibraryFoldersWithin(const QString& top);

// The top of the outermost tree holding folder, or "" when none does.
QString TreeOf(const QString& folder);

}  // namespace LibraryTrees

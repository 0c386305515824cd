#pragma once
// Walks a music folder and every folder below it, for libraries that take in
// whole collections (Artist/Album/Track laid out in folders).
#include <QString>
#include <QStringList>

namespace TreeWalker {

struct Tree {
    QStringList folders;     // the top first, then depth first by name; each ends in "/"
    QStringList unreadable;  // folders that exist but could not be listed; not entered
};

// top ends in "/". Hidden folders (names starting with ".") are skipped, as
// the scanner skips hidden files. A symbolic link to a folder is followed
// only when it leads out of the tree, and no folder is entered twice, so a
// link loop ends and a collection linked in twice comes in once.
Tree Walk(const QString& top);

// Whether folder is top itself or lies below it (both end in "/").
bool IsWithin(const QString& folder, const QString& top);

}  // namespace TreeWalker

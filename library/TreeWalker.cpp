#include "library/TreeWalker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>

namespace TreeWalker {

bool IsWithin(const QString& folder, const QString& top) {
    return folder.startsWith(top);
}

namespace {

QString withSlash(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

// Asked of the system itself: a listing through QDir cannot tell a folder
// that refuses to be read from an empty one.
bool listable(const QString& folder) {
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    if (d) ::closedir(d);
    return d != nullptr;
}

struct Walker {
    QString realTop;  // the top with its links resolved, ending in "/"
    QSet<QString> entered;
    Tree tree;

    void enter(const QString& folder, const QString& real) {
        if (entered.contains(real)) return;
        entered.insert(real);
        if (!listable(folder)) {
            tree.unreadable << folder;
            return;
        }
        tree.folders << folder;
        // Without QDir::Hidden: no dot folders. Links to folders are listed too.
        const QFileInfoList subs =
            QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& sub : subs) {
            const QString target = withSlash(sub.canonicalFilePath());
            // A link back into the tree is reached (or was) by its own path.
            if (sub.isSymLink() && IsWithin(target, realTop)) continue;
            enter(folder + sub.fileName() + '/', target);
        }
    }
};

}  // namespace

Tree Walk(const QString& top) {
    Walker w;
    const QFileInfo info(top);
    if (!info.isDir()) {
        if (info.exists()) w.tree.unreadable << top;
        return w.tree;
    }
    w.realTop = withSlash(info.canonicalFilePath());
    w.enter(top, w.realTop);
    return w.tree;
}

}  // namespace TreeWalker

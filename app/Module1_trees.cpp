#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include "app/FolderOptions.h"
#include "app/Module1.h"
#include "library/LibraryTrees.h"
#include "library/TreeWalker.h"

namespace Module1 {

bool TreesOn() {
    return Options::Get(Options::IncludeSubfolders);
}

namespace {
// A set beside the list: a collection has thousands of folders.
void addMissing(QStringList& to, const QStringList& folders) {
    QSet<QString> have(to.begin(), to.end());
    for (const QString& f : folders)
        if (!have.contains(f)) to << f, have.insert(f);
}
}  // namespace

ScanRun TreeRun(const QString& top) {
    ScanRun run;
    // The library's folders of the tree first: those that vanished leave it.
    for (const auto& [folder, songs] : LibraryTrees::LibraryFoldersWithin(top)) run.folders << folder;
    const TreeWalker::Tree tree = TreeWalker::Walk(top);
    addMissing(run.folders, LibraryTrees::WithoutSkipped(tree.folders));
    run.unreadable = tree.unreadable;
    return run;
}

ScanRun RescanRun(const QStringList& libraryFolders) {
    ScanRun run;
    run.folders = libraryFolders;
    run.skipUnchanged = true;
    if (!TreesOn()) return run;
    for (const QString& top : LibraryTrees::Tops()) {
        const TreeWalker::Tree tree = TreeWalker::Walk(top);
        addMissing(run.folders, LibraryTrees::WithoutSkipped(tree.folders));
        addMissing(run.unreadable, tree.unreadable);
    }
    return run;
}

QString MusicFolder() {
    QString music = qEnvironmentVariable("XDG_MUSIC_DIR");
    if (music.isEmpty()) music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return QFileInfo(music).isDir() ? music : QDir::homePath();
}

}  // namespace Module1

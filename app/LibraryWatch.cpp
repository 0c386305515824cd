#include "app/LibraryWatch.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/FolderOptions.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "seams/Seams.h"
#include "library/FolderWatcher.h"
#include "library/LibraryTrees.h"
#include "library/TreeWalker.h"
#include "windows/frmSetup.h"

namespace LibraryWatch {

namespace {

FolderWatcher* g_watcher = nullptr;
QStringList g_waiting;
QString g_notice;

bool busy() {
    using namespace Module1;
    return Scanning() || rsLibrary.IsOpen() || rsPaths.IsOpen() || rsLookup.IsOpen();
}

bool inTree(const QString& folder) {
    return Module1::TreesOn() && !LibraryTrees::TreeOf(folder).isEmpty() &&
           !LibraryTrees::WithoutSkipped({folder}).isEmpty();
}

// Said once, and not in a box that stops the user: nothing is wrong, only slower.
void announcePolled() {
    if (!g_notice.isEmpty() || g_watcher->polled().isEmpty()) return;
    int network = 0;
    for (const QString& why : g_watcher->polled()) network += why == QLatin1String("network");
    const int limit = g_watcher->polled().size() - network;
    g_notice = QStringLiteral(
                   "%1 music folders get no change events and are checked every 5 minutes instead: "
                   "%2 on network file systems, %3 beyond the system's limit of watched folders.")
                   .arg(g_watcher->polled().size())
                   .arg(network)
                   .arg(limit);
    auto* box = new QMessageBox(QMessageBox::Information, QString::fromLatin1(Seams::kAppTitle), g_notice);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

}  // namespace

FolderWatcher* Watcher() {
    return g_watcher;
}

QString Notice() {
    return g_notice;
}

void Stop() {
    delete g_watcher;
    g_watcher = nullptr;
    g_waiting.clear();
}

void Refresh() {
    if (!Options::Get(Options::WatchFolders)) return Stop();
    if (!g_watcher) {
        g_watcher = new FolderWatcher(qApp);
        QObject::connect(g_watcher, &FolderWatcher::changed, [](const QStringList& f) { Rescan(f); });
    }
    try {
        for (const auto& [folder, songs] : LibraryTrees::LibraryFoldersWithin(QString()))
            g_watcher->watch(folder);
        if (Module1::TreesOn())
            for (const QString& top : LibraryTrees::Tops())
                for (const QString& folder : TreeWalker::Walk(top).folders) g_watcher->watch(folder);
    } catch (const StoreError&) {
        // An unreadable library: nothing more to watch until the next refresh.
    }
    announcePolled();
}

void Watch(const QStringList& folders) {
    if (!g_watcher || !Options::Get(Options::WatchFolders)) return Refresh();
    for (const QString& f : folders) g_watcher->watch(f);
    announcePolled();
}

void Rescan(const QStringList& folders) {
    for (const QString& f : folders)
        if (!g_waiting.contains(f)) g_waiting << f;
    if (busy()) {
        QTimer::singleShot(kRetryMs, qApp, [] { Rescan({}); });
        return;
    }
    QStringList todo;
    try {
        for (const QString& f : std::exchange(g_waiting, {})) {
            const bool known = !LibraryTrees::LibraryFoldersWithin(f).isEmpty();
            if (!known && !inTree(f)) continue;
            todo << f;
            // A folder that arrived in a tree may bring folders of its own.
            if (!known && g_watcher)
                for (const QString& sub : LibraryTrees::WithoutSkipped(TreeWalker::Walk(f).folders)) {
                    g_watcher->watch(sub);
                    if (!todo.contains(sub)) todo << sub;
                }
        }
    } catch (const StoreError&) {
        return;
    }
    if (todo.isEmpty()) return;
    Module1::RescanQuietly(todo);
    if (frmSetup* setup = Windows::Find<frmSetup>()) setup->FillList();
}

}  // namespace LibraryWatch

#include <QCheckBox>

#include "app/Module1.h"
#include "app/LibraryWatch.h"
#include "app/Options.h"
#include "app/ScanProgress.h"
#include "seams/Seams.h"
#include "app/TagOptions.h"
#include "app/Windows.h"
#include "library/FolderPrints.h"
#include "library/Scanner.h"
#include "windows/frmSetup.h"

namespace Module1 {

namespace {
bool g_scanning = false;

// Tags are read during the start-up rescan, or when the setup window's box
// says so. A setup window that is not loaded would tick the box as it loads,
// so it counts as ticked (scans need not load it to ask).
bool tagReadingOn() {
    if (StartupRescan == 1) return true;
    const frmSetup* setup = Windows::Find<frmSetup>();
    return !setup || setup->Check1->isChecked();
}
}  // namespace

void ScanFolder(const QString& folderPath) {
    ScanFolders({folderPath});
}

bool ScanFolders(const QStringList& folderPaths, const std::function<void(int)>& beforeEach) {
    return ScanFolders(ScanRun{folderPaths, {}, beforeEach});
}

bool Scanning() {
    return g_scanning;
}

namespace {
// How a scan reads files now: a folder read another way is read again.
QString readingMode(const Scanner::Choices& c) {
    return QStringLiteral("tags %1, more types %2, all formats %3")
        .arg(tagReadingOn())
        .arg(c.moreAudioTypes)
        .arg(c.allTagFormats);
}

Scanner::Choices currentChoices() {
    return {Options::Get(Options::MoreAudioTypes), Options::Get(Options::ReadAllTagFormats)};
}

// One folder's rebuild, unless skipUnchanged and its print says nothing changed
// since the last one. The print is taken first: a change during the scan then
// makes the next rescan read the folder again.
Scanner::Outcome scanOne(const QString& folder, bool skipUnchanged, const Scanner::Progress& progress,
                         int* rows) {
    const Scanner::Choices choices = currentChoices();
    QByteArray print;
    try {
        print = FolderPrints::Of(folder, readingMode(choices));
        if (skipUnchanged && FolderPrints::Unchanged(folder, print)) return Scanner::Outcome::Empty;
    } catch (const StoreError&) {
    }
    const Scanner::Outcome outcome = Scanner::ScanFolder(folder, tagReadingOn(), progress, choices, rows);
    try {
        if (outcome == Scanner::Outcome::Rebuilt && !print.isEmpty())
            FolderPrints::Keep(folder, print, *rows);
    } catch (const StoreError&) {
    }
    return outcome;
}
}  // namespace

void RescanQuietly(const QStringList& folders) {
    if (g_scanning) return;
    struct Running {
        Running() { g_scanning = true; }
        ~Running() { g_scanning = false; }
    } running;
    // Nobody asked for this rescan: a folder it finds gone is not reported later.
    const int removedBefore = FolderRemoved;
    for (const QString& f : folders) {
        int rows = 0;
        scanOne(f, true, {}, &rows);
    }
    FolderRemoved = removedBefore;
}

bool ScanFolders(const ScanRun& run) {
    // A scan pumps events while it runs; nothing it lets through may start another.
    if (g_scanning) return true;
    struct Running {
        Running() { g_scanning = true; }
        ~Running() { g_scanning = false; }
    } running;
    ScanProgress progress;
    progress.setUnreadable(run.unreadable);
    const auto told = [&progress](int done, int total) { return progress(done, total); };
    const QStringList& folders = run.folders;
    for (int i = 0; i < folders.size(); ++i) {
        if (run.beforeEach) run.beforeEach(i);
        progress.setFolder(folders[i], i, folders.size());
        int rows = 0;
        if (scanOne(folders[i], run.skipUnchanged, told, &rows) == Scanner::Outcome::Cancelled) return false;
        progress.addSongs(rows);
    }
    LibraryWatch::Refresh();  // the run may have brought new folders to watch
    return true;
}

QString BrowseFolder(QWidget* owner, const QString& title) {
    const QString kind = QStringLiteral("picker");
    QString start = Options::LastFolder(kind);
    if (start.isEmpty()) start = MusicFolder();
    QString path = Seams::ui().browseFolder(owner, title, start);
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    if (!path.isEmpty()) Options::SetLastFolder(kind, path);
    return path;
}

}  // namespace Module1

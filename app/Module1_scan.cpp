#include <QCheckBox>
#include <QElapsedTimer>
#include <optional>

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

// Marks a scan as running for as long as it is in scope, however it ends.
struct Running {
    Running() { g_scanning = true; }
    ~Running() { g_scanning = false; }
};

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
// How a run reads files, fixed at its start so each folder's print names
// the way it was read: a folder read another way is read again.
struct Reading {
    Scanner::Choices choices{Options::Get(Options::MoreAudioTypes), Options::Get(Options::ReadAllTagFormats)};
    bool tags = tagReadingOn();
    QString mode = QStringLiteral("tags %1, more types %2, all formats %3")
                       .arg(tags)
                       .arg(choices.moreAudioTypes)
                       .arg(choices.allTagFormats);
};

// One folder's rebuild, unless kept says nothing changed since the last one.
// The print is taken first: a change during the scan then makes the next
// rescan read the folder again.
Scanner::Outcome scanOne(const QString& folder, const Reading& reading, const FolderPrints::Kept* kept,
                         const Scanner::Progress& progress, int* rows) {
    const QByteArray print = FolderPrints::Of(folder, reading.mode);
    if (kept && kept->unchanged(folder, print)) return Scanner::Outcome::Empty;
    const Scanner::Outcome outcome =
        Scanner::ScanFolder(folder, reading.tags, progress, reading.choices, rows);
    try {
        if (outcome == Scanner::Outcome::Rebuilt && !print.isEmpty())
            FolderPrints::Keep(folder, print, *rows);
    } catch (const StoreError&) {
    }
    return outcome;
}

// The folders of a run are committed together, about once a second: a
// commit of its own per folder would wait for the disk longer than reading
// the folder takes. Cancel still keeps every folder done.
class Batch {
  public:
    Batch() { begin(); }
    ~Batch() { end(); }
    void step() {
        if (since_.elapsed() < kCommitMs) return;
        end();
        begin();
    }

  private:
    static constexpr int kCommitMs = 1000;
    void begin() {
        try {
            cnLibrary.BeginBatch();
        } catch (const StoreError&) {
            // No batch: each folder commits on its own, as without one.
        }
        since_.start();
    }
    void end() {
        try {
            cnLibrary.EndBatch();
        } catch (const StoreError&) {
        }
    }
    QElapsedTimer since_;
};
}  // namespace

void RescanQuietly(const QStringList& folders) {
    if (g_scanning) return;
    const Running running;
    // Nobody asked for this rescan: a folder it finds gone is not reported later.
    const int removedBefore = FolderRemoved;
    Batch batch;
    const FolderPrints::Kept kept;
    const Reading reading;
    for (const QString& f : folders) {
        int rows = 0;
        scanOne(f, reading, &kept, {}, &rows);
        batch.step();
    }
    FolderRemoved = removedBefore;
}

bool ScanFolders(const ScanRun& run) {
    // A scan pumps events while it runs; nothing it lets through may start another.
    if (g_scanning) return true;
    const Running running;
    ScanProgress progress;
    progress.setUnreadable(run.unreadable);
    const auto told = [&progress](int done, int total) { return progress(done, total); };
    const QStringList& folders = run.folders;
    Batch batch;
    std::optional<FolderPrints::Kept> kept;
    if (run.skipUnchanged) kept.emplace();
    const Reading reading;
    for (int i = 0; i < folders.size(); ++i) {
        if (run.beforeEach) run.beforeEach(i);
        progress.setFolder(folders[i], i, folders.size());
        int rows = 0;
        if (scanOne(folders[i], reading, kept ? &*kept : nullptr, told, &rows) == Scanner::Outcome::Cancelled)
            return false;
        progress.addSongs(rows);
        batch.step();
    }
    LibraryWatch::Watch(folders);  // the run may have brought new folders to watch
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

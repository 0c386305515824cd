#include <QCheckBox>

#include "app/Module1.h"
#include "app/Options.h"
#include "app/ScanProgress.h"
#include "seams/Seams.h"
#include "app/TagOptions.h"
#include "app/Windows.h"
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
    const Scanner::Choices choices{Options::Get(Options::MoreAudioTypes),
                                   Options::Get(Options::ReadAllTagFormats)};
    const QStringList& folders = run.folders;
    for (int i = 0; i < folders.size(); ++i) {
        if (run.beforeEach) run.beforeEach(i);
        progress.setFolder(folders[i], i, folders.size());
        int rows = 0;
        if (Scanner::ScanFolder(folders[i], tagReadingOn(), told, choices, &rows) ==
            Scanner::Outcome::Cancelled)
            return false;
        progress.addSongs(rows);
    }
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

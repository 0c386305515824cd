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
    // A scan pumps events while it runs; nothing it lets through may start another.
    if (g_scanning) return true;
    struct Running {
        Running() { g_scanning = true; }
        ~Running() { g_scanning = false; }
    } running;
    ScanProgress progress;
    const auto told = [&progress](int done, int total) { return progress(done, total); };
    const Scanner::Choices choices{Options::Get(Options::MoreAudioTypes),
                                   Options::Get(Options::ReadAllTagFormats)};
    for (int i = 0; i < folderPaths.size(); ++i) {
        if (beforeEach) beforeEach(i);
        progress.setFolder(folderPaths[i]);
        if (Scanner::ScanFolder(folderPaths[i], tagReadingOn(), told, choices) == Scanner::Outcome::Cancelled)
            return false;
    }
    return true;
}

QString BrowseFolder(QWidget* owner, const QString& title) {
    const QString kind = QStringLiteral("picker");
    QString path = Seams::ui().browseFolder(owner, title, Options::LastFolder(kind));
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    if (!path.isEmpty()) Options::SetLastFolder(kind, path);
    return path;
}

}  // namespace Module1

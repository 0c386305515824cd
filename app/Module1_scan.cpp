#include <QCheckBox>

#include "app/Module1.h"
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
    // A scan pumps events while it runs; nothing it lets through may start another.
    if (g_scanning) return;
    struct Running {
        Running() { g_scanning = true; }
        ~Running() { g_scanning = false; }
    } running;
    ScanProgress progress(folderPath);
    const Scanner::Choices choices{Options::Get(Options::MoreAudioTypes),
                                   Options::Get(Options::ReadAllTagFormats)};
    Scanner::ScanFolder(
        folderPath, tagReadingOn(), [&progress](int done, int total) { return progress(done, total); },
        choices);
}

QString BrowseFolder(QWidget* owner, const QString& title) {
    QString path = Seams::ui().browseFolder(owner, title);
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

}  // namespace Module1

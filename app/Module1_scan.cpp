#include "app/Module1.h"
#include "app/Seams.h"

namespace Module1 {

void ScanFolder(const QString& folderPath) {
    (void)folderPath;
}

QString BrowseFolder(QWidget* owner, const QString& title) {
    return Seams::ui().browseFolder(owner, title);
}

}  // namespace Module1

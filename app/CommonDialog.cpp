#include "app/CommonDialog.h"

#include <QFileInfo>

#include "app/Options.h"
#include "seams/Seams.h"

namespace {
// List files and songs each remember their own folder.
QString kindOf(const QString& filter) {
    return filter.contains(QLatin1String("*.vlx"), Qt::CaseInsensitive) ? QStringLiteral("lists")
                                                                        : QStringLiteral("songs");
}
}  // namespace

void CommonDialog::ShowOpen() {
    Seams::FileDialog d;
    d.kind = (Flags & AllowMultiSelect) ? Seams::FileDialog::OpenMultiple : Seams::FileDialog::Open;
    d.filter = Filter;
    d.defaultExt = DefaultExt;
    d.fileName = FileName;
    d.folder = Options::LastFolder(kindOf(Filter));
    const QStringList files = Seams::ui().fileDialog(owner_, d);
    FileName.clear();
    FileTitle.clear();
    if (files.isEmpty()) return;
    Options::SetLastFolder(kindOf(Filter), QFileInfo(files.first()).absolutePath());
    if (files.size() == 1) {
        FileName = files.first();
        FileTitle = QFileInfo(files.first()).fileName();
        return;
    }
    // Several files: the folder, then each name, NUL-separated.
    QStringList parts{QFileInfo(files.first()).absolutePath()};
    for (const QString& f : files) parts << QFileInfo(f).fileName();
    FileName = parts.join(QChar(0));
    FileTitle = QFileInfo(files.first()).fileName();
}

void CommonDialog::ShowSave() {
    Seams::FileDialog d;
    d.kind = Seams::FileDialog::Save;
    d.filter = Filter;
    d.defaultExt = DefaultExt;
    d.fileName = FileName;
    d.folder = Options::LastFolder(kindOf(Filter));
    const QStringList files = Seams::ui().fileDialog(owner_, d);
    FileName.clear();
    FileTitle.clear();
    if (files.isEmpty()) return;
    Options::SetLastFolder(kindOf(Filter), QFileInfo(files.first()).absolutePath());
    QString f = files.first();
    // A name typed without an extension takes the default one.
    QString ext = DefaultExt;
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty() && QFileInfo(f).suffix().isEmpty() && !f.trimmed().isEmpty()) f += '.' + ext;
    FileName = f;
    FileTitle = QFileInfo(f).fileName();
}

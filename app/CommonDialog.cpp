#include "app/CommonDialog.h"

#include <QFileInfo>

#include "seams/Seams.h"

void CommonDialog::ShowOpen() {
    Seams::FileDialog d;
    d.kind = (Flags & AllowMultiSelect) ? Seams::FileDialog::OpenMultiple : Seams::FileDialog::Open;
    d.filter = Filter;
    d.defaultExt = DefaultExt;
    d.fileName = FileName;
    const QStringList files = Seams::ui().fileDialog(owner_, d);
    FileName.clear();
    FileTitle.clear();
    if (files.isEmpty()) return;
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
    const QStringList files = Seams::ui().fileDialog(owner_, d);
    FileName.clear();
    FileTitle.clear();
    if (files.isEmpty()) return;
    QString f = files.first();
    // A name typed without an extension takes the default one.
    QString ext = DefaultExt;
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty() && QFileInfo(f).suffix().isEmpty() && !f.trimmed().isEmpty()) f += '.' + ext;
    FileName = f;
    FileTitle = QFileInfo(f).fileName();
}

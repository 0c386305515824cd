#pragma once
// Fingerprints of folders as their last rebuild saw them, so a rescan of the
// whole library re-reads only folders that changed. Kept in a table of our
// own in the library file, made at the first rebuild that leaves one.
#include <QByteArray>
#include <QString>

namespace FolderPrints {

// What a rebuild of the folder would read, in a few bytes: the names, sizes
// and modification times of its files (hidden ones left out, as a scan leaves
// them) and mode, how the scan reads them. Empty when the folder cannot be listed.
QByteArray Of(const QString& folder, const QString& mode);

// Whether the folder's last rebuild saw this print and its rows are still all there.
bool Unchanged(const QString& folder, const QByteArray& print);
// Remembers the print a rebuild saw and how many rows it left.
void Keep(const QString& folder, const QByteArray& print, int rows);

}  // namespace FolderPrints

#pragma once
// Fingerprints of folders as their last rebuild saw them, so a rescan of the
// whole library re-reads only folders that changed. Kept in a table of our
// own in the library file, made at the first rebuild that leaves one.
#include <QByteArray>
#include <QHash>
#include <QString>

namespace FolderPrints {

// What a rebuild of the folder would read, in a few bytes: the names, sizes
// and modification times of its files (hidden ones left out, as a scan leaves
// them) and mode, how the scan reads them. Empty when the folder cannot be listed.
QByteArray Of(const QString& folder, const QString& mode);

// The prints kept for folders whose rows are all still there (rows deleted
// or added by anything but a rebuild make a folder count as changed), read
// in one pass for a whole run of rescans.
class Kept {
  public:
    Kept();
    // Whether the folder's last rebuild saw this print.
    bool unchanged(const QString& folder, const QByteArray& print) const;

  private:
    QHash<QString, QByteArray> prints_;
};

// Remembers the print a rebuild saw and how many rows it left.
void Keep(const QString& folder, const QByteArray& print, int rows);

}  // namespace FolderPrints

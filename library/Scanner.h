#pragma once
// Rebuilds one music folder's rows of the library from the files on disk: the
// folder's old rows go and one row per audio file comes in, all in one
// transaction, so nobody ever sees (and no crash ever leaves) half a folder.
#include <QString>
#include <QStringList>
#include <functional>

namespace Scanner {

// The files of one folder (not its subfolders), without hidden ones (names
// starting with "."), sorted by name without regard to case. ok is false when
// the folder cannot be listed (gone, renamed, not a folder).
QStringList ListFolder(const QString& folderPath, bool* ok);

// Audio is decided by the last three characters of the name, upper-cased.
bool IsAudioName(const QString& name);

// Told after each listed file (done of total); returning false cancels the scan.
using Progress = std::function<bool(int done, int total)>;

enum class Outcome {
    Rebuilt,    // the folder's rows now match its audio files
    Empty,      // the folder holds no files: its rows were left as they were
    Removed,    // the folder could not be scanned: its rows were deleted
    Cancelled,  // stopped by the progress callback: the rows are as before
};

// folderPath ends in "/" and is stored unchanged in each row's path. Tags
// are read for MP3 files only, and only when readTags is set. Works through
// Module1's connection with a recordset of its own, so whatever runs while the
// progress callback lets events through cannot disturb it.
Outcome ScanFolder(const QString& folderPath, bool readTags, const Progress& progress = {});

}  // namespace Scanner

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

// Audio is decided by the last three characters of the name, upper-cased;
// with moreTypes also by the whole extensions of IsMoreAudioName.
bool IsAudioName(const QString& name, bool moreTypes = false);
// .flac .ogg .oga .opus .m4a .aac, without regard to case: types whose tag
// lives in the file's own format, never in an appended ID3v1 block.
bool IsMoreAudioName(const QString& name);

// Per-user choices the caller hands in as plain values.
struct Choices {
    bool moreAudioTypes = false;  // also list IsMoreAudioName files
    bool allTagFormats = false;   // read the file's own tag; an MP3's ID3v2 tag wins
};

// Told after each listed file (done of total); returning false cancels the scan.
using Progress = std::function<bool(int done, int total)>;

enum class Outcome {
    Rebuilt,    // the folder's rows now match its audio files
    Empty,      // the folder holds no files: its rows were left as they were
    Removed,    // the folder could not be scanned: its rows were deleted
    Cancelled,  // stopped by the progress callback: the rows are as before
};

// folderPath ends in "/" and is stored unchanged in each row's path. Tags
// are read only when readTags is set: the ID3v1 tag of MP3 files and, with
// allTagFormats, the native tag of MP3, WMA, ASF and the more types. Works through
// Module1's connection with a recordset of its own, so whatever runs while
// the progress callback lets events through cannot disturb it. rows, when
// given, learns how many rows a rebuild stored.
Outcome ScanFolder(const QString& folderPath, bool readTags, const Progress& progress = {},
                   Choices choices = {}, int* rows = nullptr);

}  // namespace Scanner

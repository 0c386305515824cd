#pragma once
// While "Watch Folders" is on, every folder of the library and of its trees
// is watched, and what changes on disk reaches the library's rows: the
// changed folder is rescanned without a progress window, never while a scan
// runs or another operation has a shared recordset open (it waits for its
// turn), and never touching the cue.
#include <QString>
#include <QStringList>

class FolderWatcher;

namespace LibraryWatch {

// Watches what the library now holds, or stops watching when the option is off.
void Refresh();
void Stop();
// After a scan: watches the folders it read (the rest are watched already),
// or everything, as Refresh, when nothing is watched yet.
void Watch(const QStringList& folders);
// The watcher in use, or nullptr when nothing is watched.
FolderWatcher* Watcher();
// Brings these folders' changes in, now or at the first moment it is free to.
void Rescan(const QStringList& folders);
// The one notice about folders checked by the periodic pass ("" before it).
QString Notice();

// How long a rescan that found the library busy waits before it tries again.
constexpr int kRetryMs = 250;

}  // namespace LibraryWatch

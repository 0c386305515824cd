#pragma once
// Process-wide state and the routines shared by several windows. The library
// state (connection, recordsets, flags) is declared in library/Module1State.h.
#include <QString>
#include <QStringList>
#include <functional>

#include "library/Module1State.h"

class QWidget;

namespace Module1 {

// Entry procedure: opens the library, loads and shows the main window.
// Returns non-zero when start-up failed (after telling the user why).
int Main();

// The cue's "Songs in cue:" label.
void RefreshCueCount();
// Mirrors the cue into <app folder>/backup.vlx.
void SaveAutoRecover();
// Appends backup.vlx's records to the cue.
void LoadAutoRecover();
QString AutoRecoverFile();
// <app folder>/onair.vlx: the song on air, which a crash would otherwise lose.
QString OnAirFile();

// Rebuilds one folder's rows of the library from the files on disk.
void ScanFolder(const QString& folderPath);
// Rebuilds each folder in turn under one progress and one Cancel; beforeEach
// learns the index of the folder about to be scanned. Cancel rolls back the
// folder in progress, keeps those done and stops: false then.
bool ScanFolders(const QStringList& folderPaths, const std::function<void(int)>& beforeEach = {});

// One run of scans under one progress window and one Cancel.
struct ScanRun {
    QStringList folders;
    QStringList unreadable;  // folders that could not be listed: named in the progress window, not scanned
    std::function<void(int)> beforeEach;
    bool skipUnchanged = false;  // folders unchanged since their last rebuild are not read again
};
bool ScanFolders(const ScanRun& run);

// Whether a scan is running (it lets events through meanwhile).
bool Scanning();
// Rebuilds the folders that changed since their last rebuild, with no
// progress window and no report of folders found gone: for changes noticed on disk.
void RescanQuietly(const QStringList& folders);

// "Include Subfolders": adding a folder takes in its whole tree.
bool TreesOn();
// The tree under top: the library's folders in it (so vanished ones leave)
// and every folder now in it that the user has not removed.
ScanRun TreeRun(const QString& top);
// A rescan of the library's folders and, with trees on, of the folders that
// have appeared under its trees.
ScanRun RescanRun(const QStringList& libraryFolders);
// Where the first folder picker opens: the user's music folder, else home.
QString MusicFolder();
// The folder picker: a path without trailing "/" (but "/" itself), or "" on cancel.
QString BrowseFolder(QWidget* owner, const QString& title);

}  // namespace Module1

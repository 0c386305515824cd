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
// The folder picker: a path without trailing "/" (but "/" itself), or "" on cancel.
QString BrowseFolder(QWidget* owner, const QString& title);

}  // namespace Module1

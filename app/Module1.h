#pragma once
// Process-wide state and the routines shared by several windows. The library
// state (connection, recordsets, flags) is declared in library/Module1State.h.
#include <QString>

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

// Rebuilds one folder's rows of the library from the files on disk.
void ScanFolder(const QString& folderPath);
// The folder picker: a path without trailing "/" (but "/" itself), or "" on cancel.
QString BrowseFolder(QWidget* owner, const QString& title);

}  // namespace Module1

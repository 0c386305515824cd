#pragma once
// The library state of Module1: the connection, its reusable recordsets and the
// start-up flags. It lives with the library (below every window) so that the
// store and the folder scanner can use it without linking the user interface;
// app/Module1.h adds the routines that need windows.
#include <QString>
#include <QVariant>

#include "library/Store.h"

namespace Module1 {

// The library connection and the three reusable recordsets. A loop that walks
// one recordset while calling a routine that opens another uses different ones.
extern Connection cnLibrary;
extern Recordset rsLibrary;
extern Recordset rsPaths;
extern Recordset rsLookup;
// The text of the statement about to be run.
extern QString StrSQL;

extern int CurrentDeck;          // the live deck: 1 or 2
extern int OpenSetupAfterStart;  // 1 between the empty-library prompt and showing the setup window
extern int FirstRun;             // 1 on the first start against this library
extern int StartupRescan;        // 1 while start-up rescans every folder
extern int FolderRemoved;        // 1 after a scan removed a vanished folder

// The application folder (AppFolder::DataFolder), unless a test set another.
QString AppPath();
void SetAppPath(const QString& folder);
// "Provider=SQLite;Data Source=<folder>/songs.mdb;User Id=admin;Password="
QString LibraryConnectionString(const QString& appFolder);

// Null stays Null; otherwise every "'" is doubled.
QVariant SqlQuote(const QVariant& value);
// Replaces every occurrence of find; inserted text is never searched again.
// compare: 0 exact, 1 without regard to case.
QVariant ReplaceText(const QVariant& expression, const QString& find, const QString& replacement,
                     int compare);

// Back to the state of a fresh process (tests run many starts in one process).
void ResetState();

}  // namespace Module1

#pragma once
// Where the program finds its library, backup.vlx and manual.
//
// Portable: the executable's own folder holds songs.mdb and backup.vlx (the
// build folder, or a folder a user unpacked), and the manual lies beside it.
// Installed: the executable has no songs.mdb beside it and sits in <prefix>/bin
// next to <prefix>/share/velumix; the library then lives in the user's
// $XDG_DATA_HOME/velumix, since the prefix is read-only.
#include <QString>

namespace AppFolder {

bool IsInstalled(const QString& exeDir);
// The application folder: exeDir when portable, $XDG_DATA_HOME/velumix when installed.
QString DataFolder(const QString& exeDir);
// webmanual/vlm.htm beside the executable, or under share/velumix when installed.
QString ManualFile(const QString& exeDir);
// Installed only: places an empty library in the data folder when it has none.
// Never writes over an existing file. False (with a reason) if that fails.
bool Prepare(const QString& exeDir, QString* error);

}  // namespace AppFolder

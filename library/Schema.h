#pragma once
#include <QString>

// Writes an empty library file: the songs and settings tables and the one
// settings row. Used by the build to place songs.mdb beside the program, and
// by tests; the program itself creates one only in the per-user folder of an
// installed copy (AppFolder::Prepare).
// Returns false (with a reason) if the file exists already or cannot be made.
bool CreateEmptyLibrary(const QString& file, QString* error = nullptr);

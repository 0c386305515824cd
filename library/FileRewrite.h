#pragma once
// Changes a file all or nothing: the change is made to a copy beside it, and
// only a copy that came through whole takes the file's place, in one rename.
// A tag writer that fails half-way (full disk, a refused field, a crash)
// therefore never leaves a song damaged.
#include <QString>
#include <functional>

namespace FileRewrite {

// Copies the file, runs edit on the copy's path and, when it returns true,
// puts the copy in the file's place with the file's permissions. False, with
// the file byte-identical, when the file has no write permission (the mode
// bits decide, as for every tag write), the copy cannot be made or the edit fails.
bool Replace(const QString& file, const std::function<bool(const QString& copy)>& edit);

}  // namespace FileRewrite

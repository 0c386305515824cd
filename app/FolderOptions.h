#pragma once
// The per-user choices about how far the library reaches into the disk.
#include "app/Options.h"

namespace Options {

// Adding a folder takes in every folder below it too, and rescans follow the tree.
inline constexpr Flag IncludeSubfolders{"library/includeSubfolders", "Include Subfolders", true};
// Changes on disk reach the library while the program runs.
inline constexpr Flag WatchFolders{"library/watchFolders", "Watch Folders", true};

}  // namespace Options

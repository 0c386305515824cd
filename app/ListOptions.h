#pragma once
// The per-user choices about what the song lists find and show.
#include "app/Options.h"

namespace Options {

// The main search also finds songs by title, artist and album.
inline constexpr Flag SearchTagsToo{"search/tagsToo", "Search Tags Too", true};

// The search results and the cue show Artist, Title and Length after the name.
inline constexpr Flag ShowTagColumns{"lists/tagColumns", "Show Tag Columns", true};

}  // namespace Options

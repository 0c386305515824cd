#pragma once
// The per-user choices about which files a scan takes and which tags it reads.
#include "app/Options.h"

namespace Options {

// .flac .ogg .oga .opus .m4a .aac beside the seven classic types.
inline constexpr Flag MoreAudioTypes{"scan/moreAudioTypes", "More Audio Types", true};
// Without an ID3v1 tag, a file's ID3v2, Vorbis, MP4 or ASF tag fills the tag columns.
inline constexpr Flag ReadAllTagFormats{"scan/readAllTagFormats", "Read All Tag Formats", true};

}  // namespace Options

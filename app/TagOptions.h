#pragma once
// The per-user choices about which files a scan takes and which tags it reads.
#include "app/Options.h"

namespace Options {

// .flac .ogg .oga .opus .m4a .aac beside the seven classic types.
inline constexpr Flag MoreAudioTypes{"scan/moreAudioTypes", "More Audio Types", true};
// A file's ID3v2, Vorbis, MP4 or ASF tag fills the tag columns; an MP3's ID3v1 tag
// fills only what its ID3v2 tag lacks, and its UTF-8 text reads as such.
inline constexpr Flag ReadAllTagFormats{"scan/readAllTagFormats", "Read All Tag Formats", true};

}  // namespace Options

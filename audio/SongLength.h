#pragma once
// A song's length from its file's headers, without decoding it: what the
// container says for FFmpeg's types, the last event for MIDI and RMI.
#include <string>

namespace audio {

// Seconds, or a negative number when the length cannot be told.
double songLengthSeconds(const std::string& path);

}  // namespace audio

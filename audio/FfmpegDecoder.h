#pragma once
// Decoding through FFmpeg: MP3, WAV, WMA/ASF, Sun/NeXT audio and whatever
// else the demuxers recognise by content.
#include <memory>
#include <string>

#include "audio/Decoder.h"

namespace audio {

std::unique_ptr<Decoder> openFfmpegDecoder(const std::string& path, int rate, std::string& error);

}  // namespace audio

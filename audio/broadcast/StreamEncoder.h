#pragma once
// Turns float stereo into the bytes of a stream, one format per subclass.
// Ogg formats carry what is playing in the stream itself: a new title ends
// the current logical stream and starts a chained one whose comment header
// names the song, which is how Ogg listeners and the server learn of it.
#include <memory>
#include <string>

#include "audio/broadcast/BroadcastConfig.h"

namespace audio {

class StreamEncoder {
  public:
    virtual ~StreamEncoder() = default;
    // Appends the stream's opening (headers naming title) to out.
    virtual void begin(const std::string& title, std::string& out) = 0;
    // Appends the encoding of frames of interleaved stereo to out.
    virtual void encode(const float* stereo, int frames, std::string& out) = 0;
    // Ogg: closes the current logical stream and opens one titled anew.
    // Others carry no title in the stream and append nothing.
    virtual void retitle(const std::string& title, std::string& out) = 0;
    virtual bool titleInStream() const = 0;
};

// Null with a message in error when the codec cannot be set up (say, a
// bitrate it does not offer at this rate).
std::unique_ptr<StreamEncoder> MakeStreamEncoder(StreamFormat format, int rate, int kbps, std::string& error);

}  // namespace audio

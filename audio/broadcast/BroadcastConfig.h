#pragma once
// Where and how the mix goes on the air: an Icecast server's mount point and
// the stream's encoding and description.
#include <string>
#include <vector>

namespace audio {

enum class StreamFormat { OggVorbis, Opus, Mp3 };

struct BroadcastConfig {
    std::string host = "localhost";
    int port = 8000;
    std::string mount = "/live";
    std::string user = "source";
    std::string password;
    StreamFormat format = StreamFormat::OggVorbis;
    int kbps = 128;
    std::string name, genre, description;
    bool isPublic = false;
};

// The formats this build can encode, in the order a user is offered them.
std::vector<StreamFormat> AvailableFormats();
const char* FormatName(StreamFormat format);
// The MIME type the server is told, and the one a listener gets back.
const char* FormatMime(StreamFormat format);

}  // namespace audio

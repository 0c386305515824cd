#include "audio/broadcast/StreamEncoder.h"

namespace audio {

std::unique_ptr<StreamEncoder> MakeOggVorbisEncoder(int rate, int kbps, std::string& error);
std::unique_ptr<StreamEncoder> MakeOggOpusEncoder(int rate, int kbps, std::string& error);
#ifdef VELUMIX_HAVE_LAME
std::unique_ptr<StreamEncoder> MakeMp3Encoder(int rate, int kbps, std::string& error);
#endif

std::vector<StreamFormat> AvailableFormats() {
#ifdef VELUMIX_HAVE_LAME
    return {StreamFormat::OggVorbis, StreamFormat::Opus, StreamFormat::Mp3};
#else
    return {StreamFormat::OggVorbis, StreamFormat::Opus};
#endif
}

const char* FormatName(StreamFormat format) {
    switch (format) {
        case StreamFormat::OggVorbis:
            return "Ogg Vorbis";
        case StreamFormat::Opus:
            return "Opus";
        case StreamFormat::Mp3:
            return "MP3";
    }
    return "";
}

const char* FormatMime(StreamFormat format) {
    return format == StreamFormat::Mp3 ? "audio/mpeg" : "application/ogg";
}

std::unique_ptr<StreamEncoder> MakeStreamEncoder(StreamFormat format, int rate, int kbps,
                                                 std::string& error) {
    switch (format) {
        case StreamFormat::OggVorbis:
            return MakeOggVorbisEncoder(rate, kbps, error);
        case StreamFormat::Opus:
            return MakeOggOpusEncoder(rate, kbps, error);
        case StreamFormat::Mp3:
#ifdef VELUMIX_HAVE_LAME
            return MakeMp3Encoder(rate, kbps, error);
#else
            break;
#endif
    }
    error = std::string(FormatName(format)) + " is not available in this build.";
    return nullptr;
}

}  // namespace audio

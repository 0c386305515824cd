#pragma once
// A song being decoded to interleaved float stereo at the engine's rate.
// Decoders are opened on the caller's thread (so a bad file fails at once,
// with a reason) and then driven by one deck's decoder thread only.
#include <cstdint>
#include <memory>
#include <string>

namespace audio {

class Decoder {
  public:
    virtual ~Decoder() = default;

    // Decodes up to maxFrames frames into out; fewer only at the end, 0 once dry.
    virtual int read(float* out, int maxFrames) = 0;
    // Moves so that the next frame read is the song's frame `frame` exactly.
    virtual bool seek(int64_t frame) = 0;
    // Song position of the next frame read().
    virtual int64_t position() const = 0;
    // Best known length in engine frames.
    virtual int64_t durationFrames() const = 0;
    // Refines a length the container only estimated, a piece at a time;
    // returns true while there is more to do. Called when the ring is full.
    virtual bool refineDuration() { return false; }
};

enum class FileKind { Unknown, Midi, Rmi, Other };

// Tells the type from the first bytes of a file (not from its name).
FileKind sniffKind(const unsigned char* head, size_t size);

// Opens any supported file for decoding at `rate`. On failure returns null
// and puts a short reason fit for the user in `error`.
std::unique_ptr<Decoder> openDecoder(const std::string& path, int rate, std::string& error);

}  // namespace audio

#pragma once
// One deck of the engine: a song, its decoder thread's side (pump), the
// output callback's side (mixInto) and the control side called from one
// other thread (the UI). The sides meet only through the block ring and a
// few atomics; the control side and the decoder side share a mutex that
// the callback never touches.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio/BlockRing.h"
#include "audio/Decoder.h"

namespace audio {

// What a deck does with a song beyond playing it, chosen at open.
struct SongOptions {
    bool skipSilence = false;    // play and report only the part above -60 dBFS
    bool levelLoudness = false;  // bring the song towards -18 LUFS (within +-12 dB, peaks below full scale)
};

class Deck {
  public:
    explicit Deck(int rate);
    ~Deck();
    Deck(const Deck&) = delete;
    Deck& operator=(const Deck&) = delete;

    // ---- control side ----
    // Replaces the song with the file, at its start, keeping the play/halt
    // state. On failure nothing changes and `error` says why.
    // With options, the decoder thread first reads the whole song to measure
    // it, and the song is heard only once that is done (about a second per
    // ten minutes of MP3), so nothing changes under the listener's ears.
    bool open(const std::string& path, std::string& error, SongOptions options = {});
    bool isOpen() const { return isOpen_; }
    // Starts or resumes (fading in); halt() fades out and holds the position.
    void play();
    void halt();
    bool running() const { return run_.load(std::memory_order_relaxed); }
    void seek(double seconds);
    // Volume in hundredths of a decibel; changes are ramped, never stepped.
    // With glideFrames the deck glides from the volume last set to this one
    // over that many frames, evenly in decibels.
    void setVolume(int hundredthsOfDb, int glideFrames = 0);
    // Position of the sample being heard, in seconds.
    double position() const;
    double duration() const;
    // True once for each time the current song has played out to its end.
    bool takeEnded();

    // ---- decoder side ----
    // One step of decoding work; false when there was nothing to do.
    bool pump();
    void startWorker();
    void stopWorker();

    // ---- callback side ----
    // Adds this deck's next frames into out (interleaved stereo). Never
    // blocks, allocates or touches files.
    void mixInto(float* out, int frames);
    // With no callback running (offline use): lets a generation change take
    // effect at once when nothing is audible, so pump() can fill the ring.
    void settleOffline();

    int rampFrames() const { return rampFrames_; }
    // Blocks decoded and not yet played (for measurements).
    size_t bufferedBlocks() const { return ring_.used(); }

  private:
    Block* front(bool stale);
    void switchTo(uint32_t gen);
    void bump(int64_t startFrame);
    bool measure();
    void glideFrom(float to, int frames);

    const int rate_;
    const int rampFrames_;
    BlockRing ring_;

    // Control side and decoder side, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::unique_ptr<Decoder> pendingDecoder_;
    SongOptions pendingOptions_;
    int64_t pendingSeek_ = -1;
    uint32_t pendingGen_ = 0;
    uint64_t songId_ = 0;
    bool quit_ = false;
    bool kick_ = false;  // new work from the control side since the worker last looked
    std::thread worker_;

    // Decoder side only.
    std::unique_ptr<Decoder> decoder_;
    uint32_t workGen_ = 0;
    uint64_t workSong_ = 0;
    bool dry_ = false, refining_ = false, measuring_ = false;
    SongOptions options_;
    int64_t audibleStart_ = 0, audibleEnd_ = -1;  // -1: the decoder's end
    float songGain_ = 1;

    // Control side only.
    bool isOpen_ = false;
    uint32_t nextGen_ = 1;
    uint32_t reportedEnd_ = 0;
    int64_t seekTarget_ = 0;
    int volume_ = 0;

    // Shared atomics.
    std::atomic<uint32_t> generation_{0};
    std::atomic<bool> run_{false};
    // Volume command: target | glide start << 16 (hundredths of a dB) | glide frames << 32.
    std::atomic<uint64_t> volumeCommand_{0};
    std::atomic<uint64_t> published_{0};  // position << 16 | generation & 0xffff
    std::atomic<uint32_t> endedGen_{0};
    std::atomic<int64_t> duration_{0};

    // Callback side only.
    uint32_t curGen_ = 0;
    bool finished_ = false, havePos_ = false;
    int offset_ = 0;
    int64_t pos_ = 0;
    float level_ = 0, levelStep_;
    uint64_t command_ = 0;
    float gain_ = 1, gainTarget_ = 1, gainStep_ = 0;
    int gainLeft_ = 0;
    bool gliding_ = false;
    double glideGain_ = 1, glideRatio_ = 1;
    float glideTo_ = 1;
    int glideNext_ = 0;  // frames of a glide that follows the ramp under way
};

}  // namespace audio

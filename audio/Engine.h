#pragma once
// The audio engine: decks mixed into one float stereo output stream.
//
// Real-time use: `audio::Engine engine;` opens the default output device
// through SDL2 (or SDL's silent "dummy" driver when there is none, saying so
// once on stderr). Each deck gets a decoder thread; the device callback
// calls render().
//
// Offline use (tests, benchmarks): `audio::Engine engine(audio::Engine::Offline{44100});`
// opens no device and starts no threads. The caller drives it in lockstep:
//
//     audio::Deck* d = engine.addDeck();
//     d->open(path, error); d->play();
//     std::vector<float> buf(2 * 1024);
//     while (!d->takeEnded()) { engine.pump(); engine.render(buf.data(), 1024); ... }
//
// pump() does all pending decoding (fills every deck's ring); render()
// mixes the next frames exactly as the device callback would.
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "audio/Deck.h"

namespace audio {

class SdlOutput;
class MixTap;

class Engine {
  public:
    struct Offline {
        int rate = 44100;
    };
    static constexpr int kMaxDecks = 8;

    Engine();
    explicit Engine(Offline offline);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    int rate() const { return rate_; }
    bool offline() const { return !output_; }
    // False when the engine plays into SDL's dummy driver (no sound card).
    bool hasDevice() const { return hasDevice_; }
    // The SDL driver in use ("" offline).
    const std::string& driver() const { return driver_; }

    // Decks are owned by the engine; at most kMaxDecks at a time (null beyond).
    Deck* addDeck();
    void removeDeck(Deck* deck);

    // Offline: runs every deck's decoder until its ring is full or its song
    // is decoded. Returns whether any work was done.
    bool pump();
    // Mixes the next `frames` frames of interleaved stereo into out (overwritten).
    void render(float* out, int frames);

    // Every frame the main output plays is also copied into tap (one at a
    // time, null for none). Pre-listen and other outputs are never copied: the
    // tap carries what the room hears. Once this returns, the callback no
    // longer touches the previous tap.
    void setMixTap(MixTap* tap);

    // Real-time figures from the output callback, for tests and benchmarks.
    struct CallbackStats {
        std::atomic<uint64_t> count{0}, totalNs{0}, maxNs{0};
        std::atomic<int> frames{0};  // per callback, as the device asks
    };
    uint64_t callbacks() const { return stats_.count.load(std::memory_order_relaxed); }
    const CallbackStats& callbackStats() const { return stats_; }

  private:
    friend class SdlOutput;
    int rate_ = 44100;
    bool hasDevice_ = false;
    std::string driver_;
    std::unique_ptr<SdlOutput> output_;
    std::vector<std::unique_ptr<Deck>> owned_;
    std::array<std::atomic<Deck*>, kMaxDecks> slots_{};
    CallbackStats stats_;
    std::atomic<MixTap*> tap_{nullptr};
};

}  // namespace audio

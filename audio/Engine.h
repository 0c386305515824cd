#pragma once
// The audio engine: decks mixed into two float stereo outputs, the main mix
// (what the room hears) and pre-listen (the DJ's headphones). A deck belongs
// to one output for its life, so nothing of pre-listen ever reaches the main
// mix. Each output has its own device and callback.
//
// Real-time use: `audio::Engine engine;` opens the default output device
// through SDL2 (or SDL's silent "dummy" driver when there is none, saying so
// once on stderr); pre-listen is off until a device is chosen for it. Each
// deck gets a decoder thread; the device callbacks call render().
//
// Offline use (tests, benchmarks): `audio::Engine engine(audio::Engine::Offline{44100});`
// starts no threads. The caller drives it in lockstep:
//
//     audio::Deck* d = engine.addDeck();
//     d->open(path, error); d->play();
//     std::vector<float> buf(2 * 1024);
//     while (!d->takeEnded()) { engine.pump(); engine.render(buf.data(), 1024); ... }
//
// pump() does all pending decoding (fills every deck's ring); render()
// mixes the next frames exactly as the main device's callback would, and
// render(Output::PreListen, ...) those of pre-listen. Given an OutputSystem,
// an offline engine also opens its outputs there, and the system's streams
// may call the renders instead (a scripted sound system in tests).
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "audio/Deck.h"
#include "audio/Output.h"

namespace audio {

class MixTap;

class Engine {
  public:
    struct Offline {
        int rate = 44100;
    };
    enum class Output { Main, PreListen };
    static constexpr int kMaxDecks = 8;  // per output

    Engine();
    // Real time on another sound system (a benchmark's paced stand-ins).
    explicit Engine(std::unique_ptr<OutputSystem> system);
    explicit Engine(Offline offline, std::unique_ptr<OutputSystem> system = nullptr);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    int rate() const { return rate_; }
    bool offline() const { return offline_; }
    // False when the engine plays into SDL's dummy driver (no sound card).
    bool hasDevice() const { return system_ && system_->hasDevice(); }
    // The sound system's driver in use ("" offline).
    std::string driver() const { return system_ ? system_->driver() : ""; }

    // Decks are owned by the engine; at most kMaxDecks per output (null beyond).
    Deck* addDeck(Output output = Output::Main);
    void removeDeck(Deck* deck);

    // Offline: runs every deck's decoder until its ring is full or its song
    // is decoded. Returns whether any work was done.
    bool pump();
    // Mixes the main output's next `frames` frames of interleaved stereo into
    // out (overwritten). Everything the room hears passes here.
    void render(float* out, int frames);
    void render(Output output, float* out, int frames);

    // The level of the main output's whole mix, linear 0..1, over the decks' own volumes
    // (which the fades drive): what a desktop volume control sets. A change
    // is ramped over kMasterRampSeconds for full scale, so it never clicks.
    static constexpr float kMasterRampSeconds = 1.0f / 64;
    void setMasterLevel(float level);
    float masterLevel() const { return master_.load(std::memory_order_relaxed); }

    // ---- devices (see EngineOutputs.cpp) ----
    // The playback devices the sound system offers, and its default.
    std::vector<std::string> devices() const;
    std::string defaultDevice() const;
    // Moves the output to `device` ("" = the default). The decks carry on
    // where they are: no song restarts or skips, only what the old device had
    // buffered is not heard. When the device does not open, the main mix goes
    // to the default device and pre-listen goes off; false, `error` says why.
    bool selectDevice(Output output, const std::string& device, std::string& error);
    // Pre-listen off: its decks are no longer rendered.
    void closeDevice(Output output);
    // The device the output plays on ("" = the default; for pre-listen, off).
    const std::string& device(Output output) const { return out(output).device; }
    bool isOpen(Output output) const { return out(output).stream != nullptr; }
    // Called from time to time by the UI: an output whose device went away
    // moves to the default device (main mix) or goes off (pre-listen).
    // Returns whether anything moved.
    bool checkDevices();

    // Every frame of the main mix is also copied into tap (one at a time,
    // null for none), before the master level: turning the room down does not
    // turn a broadcast down. Pre-listen is never copied. Once this returns,
    // the callback no longer touches the previous tap.
    void setMixTap(MixTap* tap);

    // Real-time figures from an output's callback, for tests and benchmarks.
    struct CallbackStats {
        std::atomic<uint64_t> count{0}, totalNs{0}, maxNs{0};
        std::atomic<int> frames{0};  // per callback, as the device asks
    };
    uint64_t callbacks() const { return callbackStats().count.load(std::memory_order_relaxed); }
    const CallbackStats& callbackStats(Output output = Output::Main) const { return out(output).stats; }

  private:
    struct Out {
        Engine* engine = nullptr;
        Output which = Output::Main;
        std::unique_ptr<OutputStream> stream;
        std::string device;
        std::array<std::atomic<Deck*>, kMaxDecks> decks{};
        CallbackStats stats;
    };
    // rate 0: the first device's.
    Engine(int rate, bool offline, std::unique_ptr<OutputSystem> system);
    static void callback(void* user, float* out, int frames);
    void mix(Out& o, float* out, int frames);
    Out& out(Output o) { return outs_[int(o)]; }
    const Out& out(Output o) const { return outs_[int(o)]; }

    int rate_ = 44100;
    bool offline_ = false;
    std::unique_ptr<OutputSystem> system_;
    std::vector<std::unique_ptr<Deck>> owned_;
    std::array<Out, 2> outs_;
    std::atomic<float> master_{1.0f};
    std::atomic<MixTap*> tap_{nullptr};
    float masterNow_ = 1.0f;  // where the ramp is; the main output's thread's own
};

}  // namespace audio

#pragma once
// Puts the main mix on the air: owns the tap the engine copies its output
// into, and a thread of its own that drains it, encodes and sends, and
// reconnects with growing pauses until stopped. Nothing here ever waits on
// the output callback, and the callback never waits on it.
//
//     audio::Broadcaster air(engine.rate());
//     engine.setMixTap(&air.tap());
//     air.start(config);                  // Connecting, then OnAir
//     air.setTitle("Artist - Title");     // at each song change
//     ... air.status() for the status line ...
//     air.stop(); engine.setMixTap(nullptr);
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "audio/MixTap.h"
#include "audio/broadcast/BroadcastConfig.h"

namespace audio {

struct LinkResult;
class IcecastLink;
class StreamEncoder;

struct BroadcastStatus {
    enum class State { Off, Connecting, OnAir, Retrying, Refused };
    State state = State::Off;
    std::string message;      // why it is not on the air, in plain words
    int retryInSeconds = 0;   // Retrying: seconds to the next attempt
    double onAirSeconds = 0;  // audio sent since the last connect
    uint64_t bytesSent = 0;   // since the last connect
    uint64_t droppedFrames = 0;
    int attempts = 0;  // connection attempts since start()
};

// The one line a window shows for a status.
std::string StatusLine(const BroadcastStatus& status);

// Seconds to wait before the next attempt after `failures` failed ones in a row.
int RetryDelay(int failures);

class Broadcaster {
  public:
    explicit Broadcaster(int rate);
    ~Broadcaster();
    Broadcaster(const Broadcaster&) = delete;
    Broadcaster& operator=(const Broadcaster&) = delete;

    // The encoder thread's name, as top -H shows it (at most 15 characters).
    static constexpr const char* kThreadName = "velumix-onair";

    MixTap& tap() { return tap_; }
    int rate() const { return rate_; }

    // Starts (or restarts with a new configuration) going on the air.
    void start(const BroadcastConfig& config);
    // Leaves the air; returns once the thread has ended.
    void stop();
    // The song now on air: goes out with the stream from the next block on.
    void setTitle(const std::string& title);

    BroadcastStatus status() const;
    // Frames the encoder has taken from the tap since the start (tests wait on it).
    uint64_t framesTaken() const { return tap_.read(); }

  private:
    void run(BroadcastConfig config);
    LinkResult stream(IcecastLink& link, StreamEncoder& encoder);
    bool pause(std::chrono::milliseconds ms);  // false when stopped meanwhile
    void set(BroadcastStatus::State state, const std::string& message = {}, int retryIn = 0);

    const int rate_;
    MixTap tap_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;  // guards what follows
    std::condition_variable wake_;
    BroadcastStatus status_;
    std::string title_;
    uint64_t titleChanges_ = 0;
};

}  // namespace audio

#pragma once
// One source connection to an Icecast mount through libshout, in
// non-blocking mode so that a dead or slow network never holds the encoder
// thread (and with it Disconnect) for long.
#include <atomic>
#include <string>

#include "audio/broadcast/BroadcastConfig.h"

typedef struct shout shout_t;

namespace audio {

enum class LinkOutcome {
    Connected,
    Stopped,  // stop was raised while connecting
    UnknownHost,
    Unreachable,  // no server answers at host:port
    MountInUse,   // may be our own lost connection the server still holds
    BadLogin,
    FormatRefused,
    Refused,  // any other refusal; message has the server's words
    Lost,     // the connection broke while on the air
    Stalled,  // the server stopped taking data
};

// True for refusals that trying again cannot mend.
bool IsFinal(LinkOutcome outcome);

struct LinkResult {
    LinkOutcome outcome;
    std::string message;  // plain words for the status line
};

class IcecastLink {
  public:
    IcecastLink();
    ~IcecastLink();
    IcecastLink(const IcecastLink&) = delete;
    IcecastLink& operator=(const IcecastLink&) = delete;

    LinkResult open(const BroadcastConfig& config, int rate, const std::atomic<bool>& stop);
    // Queues bytes; fails when the connection broke or too much is waiting.
    LinkResult send(const std::string& bytes);
    // The song on air, told to the server beside the stream (MP3).
    void setTitle(const std::string& title);

  private:
    shout_t* shout_;
    size_t maxQueued_ = 0;
};

}  // namespace audio

#include "audio/broadcast/Broadcaster.h"

#include <pthread.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

#include "audio/broadcast/IcecastLink.h"
#include "audio/broadcast/StreamEncoder.h"

namespace audio {
namespace {

constexpr int kTapSeconds = 4;  // how far the encoder may fall behind before audio is dropped
// The encoder wakes ten times a second and takes what gathered, up to 8192
// frames a go. Waking at every output buffer cost nearly as much again as the
// encoding itself; listeners' players buffer seconds, so a tenth of a second
// more delay goes unheard.
constexpr int kChunkFrames = 8192;
constexpr auto kIdle = std::chrono::milliseconds(100);

}  // namespace

int RetryDelay(int failures) {
    return failures <= 1 ? 1 : std::min(30, 1 << std::min(failures - 1, 5));
}

std::string StatusLine(const BroadcastStatus& s) {
    using State = BroadcastStatus::State;
    char line[160];
    switch (s.state) {
        case State::Off:
            return "Not on the air.";
        case State::Connecting:
            return s.message;
        case State::OnAir: {
            const long t = long(s.onAirSeconds);
            std::snprintf(line, sizeof line, "On the air %ld:%02ld:%02ld, %.1f MB sent.", t / 3600,
                          t / 60 % 60, t % 60, double(s.bytesSent) / 1e6);
            return line;
        }
        case State::Retrying:
            return s.message + " Reconnecting in " + std::to_string(s.retryInSeconds) + " s.";
        case State::Refused:
            return s.message;
    }
    return {};
}

Broadcaster::Broadcaster(int rate) : rate_(rate), tap_(rate * kTapSeconds) {}

Broadcaster::~Broadcaster() {
    stop();
}

void Broadcaster::start(const BroadcastConfig& config) {
    stop();
    stop_ = false;
    {
        std::lock_guard lock(mutex_);
        status_ = BroadcastStatus{};
        status_.state = BroadcastStatus::State::Connecting;
    }
    thread_ = std::thread([this, config] { run(config); });
}

void Broadcaster::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    set(BroadcastStatus::State::Off);
}

void Broadcaster::setTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    if (title == title_) return;
    title_ = title;
    ++titleChanges_;
}

BroadcastStatus Broadcaster::status() const {
    std::lock_guard lock(mutex_);
    BroadcastStatus s = status_;
    s.droppedFrames = tap_.dropped();
    return s;
}

void Broadcaster::set(BroadcastStatus::State state, const std::string& message, int retryIn) {
    std::lock_guard lock(mutex_);
    status_.state = state;
    status_.message = message;
    status_.retryInSeconds = retryIn;
}

bool Broadcaster::pause(std::chrono::milliseconds ms) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, ms, [this] { return stop_.load(); });
}

void Broadcaster::run(BroadcastConfig config) {
    // libshout writes with plain send(): a server that went away would end
    // the whole program with SIGPIPE. Blocked here, it is an error return.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    pthread_setname_np(pthread_self(), kThreadName);  // for top -H and the bench
    int failures = 0;
    while (!stop_) {
        set(BroadcastStatus::State::Connecting,
            "Connecting to " + config.host + ":" + std::to_string(config.port) + "...");
        {
            std::lock_guard lock(mutex_);
            ++status_.attempts;
        }
        std::string error;
        std::unique_ptr<StreamEncoder> encoder = MakeStreamEncoder(config.format, rate_, config.kbps, error);
        if (!encoder) {
            set(BroadcastStatus::State::Refused, error);
            return;
        }
        IcecastLink link;
        LinkResult result = link.open(config, rate_, stop_);
        if (result.outcome == LinkOutcome::Connected) {
            failures = 0;
            result = stream(link, *encoder);
        }
        if (stop_) return;
        if (IsFinal(result.outcome)) {
            set(BroadcastStatus::State::Refused, result.message);
            return;
        }
        for (int left = RetryDelay(++failures); left > 0; --left) {
            set(BroadcastStatus::State::Retrying, result.message, left);
            if (!pause(std::chrono::seconds(1))) return;
        }
    }
}

LinkResult Broadcaster::stream(IcecastLink& link, StreamEncoder& encoder) {
    // What played while we were off the air stays off it.
    tap_.discard();
    uint64_t titlesSeen;
    std::string title, out;
    {
        std::lock_guard lock(mutex_);
        titlesSeen = titleChanges_;
        title = title_;
        status_.state = BroadcastStatus::State::OnAir;
        status_.message.clear();
        status_.onAirSeconds = 0;
        status_.bytesSent = 0;
    }
    encoder.begin(title, out);
    if (!encoder.titleInStream() && !title.empty()) link.setTitle(title);
    std::vector<float> pcm(2 * kChunkFrames);
    while (!stop_) {
        {
            std::lock_guard lock(mutex_);
            if (titleChanges_ != titlesSeen) {
                titlesSeen = titleChanges_;
                title = title_;
            } else {
                title.clear();
            }
        }
        if (!title.empty()) {
            if (encoder.titleInStream())
                encoder.retitle(title, out);
            else
                link.setTitle(title);
        }
        const int frames = tap_.pop(pcm.data(), kChunkFrames);
        if (frames > 0) encoder.encode(pcm.data(), frames, out);
        if (!out.empty()) {
            LinkResult sent = link.send(out);
            if (sent.outcome != LinkOutcome::Connected) return sent;
        }
        if (frames > 0 || !out.empty()) {
            std::lock_guard lock(mutex_);
            status_.bytesSent += out.size();
            status_.onAirSeconds += double(frames) / rate_;
            out.clear();
        }
        if (frames == 0 && !pause(kIdle)) break;
    }
    return {LinkOutcome::Stopped, ""};
}

}  // namespace audio

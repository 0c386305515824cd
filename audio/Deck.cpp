#include "audio/Deck.h"

#include <ebur128.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "audio/Gain.h"

namespace audio {
namespace {
// About 0.75 s of audio between the decoder and the output: enough to ride
// out a slow disk, short enough that a fresh song is heard at once.
size_t ringBlocks(int rate) {
    return size_t(rate) * 3 / 4 / kBlockFrames + 1;
}
bool olderThan(uint32_t a, uint32_t b) {
    return int32_t(a - b) < 0;
}
uint64_t volumeWord(int v) {
    return uint16_t(std::clamp(v, -32768, 32767));
}
float gainOf(uint64_t word) {
    return float(linearGain(int16_t(uint16_t(word))));
}
constexpr float kAudible = 0.001f;  // -60 dBFS
constexpr double kLoudnessTarget = -18, kMaxCorrection = 12;
constexpr float kPeakCeiling = 0.989f;  // -0.1 dBFS
}  // namespace

// Gain and play/halt changes are spread over ~15 ms: long enough not to
// click, short enough to feel immediate.
Deck::Deck(int rate)
    : rate_(rate),
      rampFrames_(std::max(64, rate / 64)),
      ring_(ringBlocks(rate)),
      levelStep_(1.0f / rampFrames_) {}

Deck::~Deck() {
    stopWorker();
}

// ---- control side ----

void Deck::bump(int64_t startFrame) {
    // Caller holds mutex_. Blocks of older generations are dropped by the callback.
    seekTarget_ = startFrame;
    kick_ = true;
    pendingGen_ = nextGen_++;
    if (nextGen_ == 0) nextGen_ = 1;
    generation_.store(pendingGen_, std::memory_order_release);
}

bool Deck::open(const std::string& path, std::string& error, SongOptions options) {
    std::unique_ptr<Decoder> d = openDecoder(path, rate_, error);
    if (!d) return false;
    {
        std::lock_guard lock(mutex_);
        duration_.store(d->durationFrames(), std::memory_order_relaxed);
        pendingDecoder_ = std::move(d);
        pendingOptions_ = options;
        pendingSeek_ = -1;
        ++songId_;
        bump(0);
    }
    isOpen_ = true;
    wake_.notify_one();
    return true;
}

void Deck::seek(double seconds) {
    if (!isOpen_) return;
    const int64_t frame = std::llround(std::max(0.0, seconds) * rate_);
    {
        std::lock_guard lock(mutex_);
        pendingSeek_ = frame;
        bump(frame);
    }
    wake_.notify_one();
}

void Deck::play() {
    run_.store(true, std::memory_order_relaxed);
}

void Deck::halt() {
    run_.store(false, std::memory_order_relaxed);
}

void Deck::setVolume(int v, int glideFrames) {
    uint64_t word = volumeWord(v);
    if (glideFrames > 0) word |= volumeWord(volume_) << 16 | uint64_t(uint32_t(glideFrames)) << 32;
    volume_ = v;
    volumeCommand_.store(word, std::memory_order_relaxed);
}

double Deck::position() const {
    const uint64_t p = published_.load(std::memory_order_acquire);
    const uint32_t gen = generation_.load(std::memory_order_relaxed);
    // Until the callback has played a block of the newest generation, the
    // position is where that generation starts.
    if (gen != 0 && (p & 0xffff) == (gen & 0xffff)) return double(p >> 16) / rate_;
    return double(seekTarget_) / rate_;
}

double Deck::duration() const {
    return isOpen_ ? double(duration_.load(std::memory_order_relaxed)) / rate_ : 0.0;
}

bool Deck::takeEnded() {
    const uint32_t g = endedGen_.load(std::memory_order_acquire);
    if (g == 0 || g != generation_.load(std::memory_order_relaxed) || g == reportedEnd_) return false;
    reportedEnd_ = g;
    return true;
}

// ---- decoder side ----

bool Deck::pump() {
    uint32_t gen;
    {
        std::lock_guard lock(mutex_);
        if (pendingDecoder_) {
            decoder_ = std::move(pendingDecoder_);
            workSong_ = songId_;
            dry_ = false;
            refining_ = true;
            options_ = pendingOptions_;
            measuring_ = options_.skipSilence || options_.levelLoudness;
            audibleStart_ = 0;
            audibleEnd_ = -1;
            songGain_ = 1;
        }
        if (pendingSeek_ >= 0 && decoder_ && !measuring_) {
            const int64_t last = audibleEnd_ >= 0 ? audibleEnd_ : INT64_MAX;
            decoder_->seek(std::clamp(pendingSeek_, audibleStart_, last));
            pendingSeek_ = -1;
            dry_ = false;
        }
        workGen_ = pendingGen_;
        gen = workGen_;
    }
    if (!decoder_) return false;
    if (measuring_) {
        measuring_ = false;
        if (measure()) {
            std::lock_guard lock(mutex_);
            if (workSong_ == songId_) duration_.store(audibleEnd_, std::memory_order_relaxed);
        }
        return true;
    }
    Block* b = ring_.writable();
    if (!b || dry_) {
        if (!refining_) return false;
        // Spare time goes to learning the true length where the container guessed it.
        refining_ = decoder_->refineDuration();
        std::lock_guard lock(mutex_);
        if (workSong_ == songId_) duration_.store(decoder_->durationFrames(), std::memory_order_relaxed);
        return true;
    }
    b->generation = gen;
    b->startFrame = decoder_->position();
    b->frames = decoder_->read(b->samples, kBlockFrames);
    if (audibleEnd_ >= 0 && b->startFrame + b->frames > audibleEnd_) {
        // The silence after the last sound is not played.
        b->startFrame = std::min(b->startFrame, audibleEnd_);
        b->frames = int(audibleEnd_ - b->startFrame);
    }
    b->gain = songGain_;
    b->end = b->frames == 0;
    if (b->end) {
        // Where decoding ran dry is the song's true end, whatever the container said.
        dry_ = true;
        refining_ = false;
        std::lock_guard lock(mutex_);
        if (workSong_ == songId_)
            duration_.store(audibleEnd_ >= 0 ? audibleEnd_ : decoder_->position(), std::memory_order_relaxed);
    }
    ring_.publish();
    return true;
}

// Reads the song for where it is audible and how loud it is, and leaves the
// decoder at its first audible frame. Loudness needs every frame; the ends
// alone need only the start up to the first sound and a tail that holds
// sound. False when a newer song or the end of the worker cut it short.
bool Deck::measure() {
    std::vector<float> buf(2 * 4096);
    ebur128_state* meter = options_.levelLoudness
                               ? ebur128_init(2, unsigned(rate_), EBUR128_MODE_I | EBUR128_MODE_HISTOGRAM)
                               : nullptr;
    int64_t frame = 0, first = -1, last = -1;
    float peak = 0;
    bool current = true;
    const auto scan = [&](bool untilSound) {
        for (int round = 0;; ++round) {
            if (round % 32 == 0) {
                std::lock_guard lock(mutex_);
                current = workSong_ == songId_ && !quit_;
            }
            const int n = current ? decoder_->read(buf.data(), 4096) : 0;
            if (n <= 0) return;
            for (int i = 0; i < n; ++i) {
                const float a = std::max(std::fabs(buf[2 * i]), std::fabs(buf[2 * i + 1]));
                peak = std::max(peak, a);
                if (a > kAudible) {
                    if (first < 0) first = frame + i;
                    last = frame + i;
                }
            }
            if (meter) ebur128_add_frames_float(meter, buf.data(), size_t(n));
            frame += n;
            if (untilSound && first >= 0) return;
        }
    };
    scan(!meter);
    if (!meter && first >= 0) {
        // Back from the end, twice as far each time, until a stretch holds sound.
        const int64_t scanned = frame;
        for (int64_t back = 10 * int64_t(rate_); current; back *= 2) {
            const int64_t from = std::max(scanned, decoder_->durationFrames() - back), before = last;
            if (from != frame) decoder_->seek(from);
            frame = from;
            scan(false);
            if (last != before || from == scanned) break;
        }
    }
    double lufs = 0;
    if (meter && current && ebur128_loudness_global(meter, &lufs) == EBUR128_SUCCESS && std::isfinite(lufs)) {
        const double correction = std::clamp(kLoudnessTarget - lufs, -kMaxCorrection, kMaxCorrection);
        songGain_ = std::min(float(std::pow(10.0, correction / 20)), kPeakCeiling / std::max(peak, kAudible));
    }
    if (meter) ebur128_destroy(&meter);
    if (!current) return false;
    // A song silent throughout plays as it is.
    const bool trim = options_.skipSilence && first >= 0;
    audibleStart_ = trim ? first : 0;
    audibleEnd_ = trim ? last + 1 : frame;
    decoder_->seek(audibleStart_);
    refining_ = false;
    return true;
}

void Deck::startWorker() {
    if (worker_.joinable()) return;
    quit_ = false;
    worker_ = std::thread([this] {
        for (;;) {
            if (pump()) continue;
            std::unique_lock lock(mutex_);
            if (quit_) return;
            // The callback frees ring space without signalling (it must not
            // block), so while there is a song to decode the worker looks
            // again every few milliseconds; with none it sleeps until told.
            const auto told = [this] { return quit_ || kick_; };
            if (decoder_ && !dry_)
                wake_.wait_for(lock, std::chrono::milliseconds(4), told);
            else
                wake_.wait(lock, told);
            kick_ = false;
            if (quit_) return;
        }
    });
}

void Deck::stopWorker() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

// ---- callback side ----

Block* Deck::front(bool stale) {
    while (Block* b = ring_.readable()) {
        if (b->generation == curGen_) return b;
        // While fading out a replaced song only its own blocks count; newer ones wait.
        if (stale || !olderThan(b->generation, curGen_)) return nullptr;
        ring_.release();
        offset_ = 0;
    }
    return nullptr;
}

void Deck::switchTo(uint32_t gen) {
    curGen_ = gen;
    finished_ = havePos_ = false;
    level_ = 0;
    offset_ = 0;
    front(false);  // drops what is left of the old generation
}

void Deck::settleOffline() {
    const uint32_t gen = generation_.load(std::memory_order_acquire);
    if (gen != curGen_ && (level_ == 0 || finished_)) switchTo(gen);
}

void Deck::mixInto(float* out, int frames) {
    const uint32_t gen = generation_.load(std::memory_order_acquire);
    const bool run = run_.load(std::memory_order_relaxed);
    const uint64_t command = volumeCommand_.load(std::memory_order_relaxed);
    if (command != command_) {
        command_ = command;
        const float target = gainOf(command);
        const int glide = int(command >> 32);
        gliding_ = false;
        glideNext_ = 0;
        const bool glides = glide > rampFrames_;
        const float from = glides ? gainOf(command >> 16) : target;
        if (glides && gain_ == from) {
            glideFrom(target, glide);
        } else {
            // A short ramp to the glide's start first, when the deck is not there.
            gainTarget_ = from;
            gainStep_ = (from - gain_) / float(rampFrames_);
            gainLeft_ = rampFrames_;
            glideTo_ = target;
            glideNext_ = glides ? glide - rampFrames_ : 0;
        }
    }
    int i = 0;
    while (i < frames) {
        const bool stale = gen != curGen_;
        if (stale && (level_ == 0 || finished_ || !front(true))) {
            switchTo(gen);
            continue;
        }
        const float levelTarget = (!stale && run) ? 1.0f : 0.0f;
        if (finished_ || (level_ == 0 && levelTarget == 0)) break;  // halted: hold the position
        Block* b = front(stale);
        if (!b) break;  // the decoder is behind: silence, position holds
        if (b->end) {
            // The decoder ran dry and everything before the marker has been played.
            finished_ = true;
            pos_ = b->startFrame;
            havePos_ = true;
            endedGen_.store(curGen_, std::memory_order_release);
            ring_.release();
            break;
        }
        const int n = std::min(frames - i, b->frames - offset_);
        const float* s = b->samples + 2 * offset_;
        float* o = out + 2 * i;
        int k = 0;
        while (k < n) {
            if (level_ != levelTarget)
                level_ = levelTarget > level_ ? std::min(1.0f, level_ + levelStep_)
                                              : std::max(0.0f, level_ - levelStep_);
            if (gainLeft_ > 0) {
                if (--gainLeft_ == 0) {
                    gain_ = gainTarget_;
                    if (glideNext_ > 0) glideFrom(glideTo_, glideNext_);
                } else {
                    gain_ = gliding_ ? float(glideGain_ *= glideRatio_) : gain_ + gainStep_;
                }
            }
            const float g = gain_ * level_ * b->gain;
            o[2 * k] += s[2 * k] * g;
            o[2 * k + 1] += s[2 * k + 1] * g;
            ++k;
            if (level_ == 0 && levelTarget == 0) break;
        }
        offset_ += k;
        i += k;
        pos_ = b->startFrame + offset_;
        havePos_ = true;
        if (offset_ == b->frames) {
            ring_.release();
            offset_ = 0;
        }
    }
    // Nothing audible is being scaled: a gain change can land at once.
    if (level_ == 0 && gainLeft_ > 0) {
        gain_ = glideNext_ > 0 ? glideTo_ : gainTarget_;
        gainLeft_ = glideNext_ = 0;
        gliding_ = false;
    }
    if (havePos_) published_.store(uint64_t(pos_) << 16 | (curGen_ & 0xffff), std::memory_order_release);
}

void Deck::glideFrom(float to, int frames) {
    glideNext_ = 0;
    gainTarget_ = to;
    gainLeft_ = frames;
    gliding_ = gain_ > 0 && to > 0;
    glideGain_ = gain_;
    glideRatio_ = gliding_ ? std::pow(double(to) / gain_, 1.0 / frames) : 1;
    gainStep_ = gliding_ ? 0 : (to - gain_) / float(frames);
}

}  // namespace audio

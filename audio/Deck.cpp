#include "audio/Deck.h"

#include <algorithm>
#include <chrono>
#include <cmath>

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

bool Deck::open(const std::string& path, std::string& error) {
    std::unique_ptr<Decoder> d = openDecoder(path, rate_, error);
    if (!d) return false;
    {
        std::lock_guard lock(mutex_);
        duration_.store(d->durationFrames(), std::memory_order_relaxed);
        pendingDecoder_ = std::move(d);
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

void Deck::setVolume(int hundredthsOfDb) {
    targetGain_.store(float(linearGain(hundredthsOfDb)), std::memory_order_relaxed);
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
        }
        if (pendingSeek_ >= 0 && decoder_) {
            decoder_->seek(pendingSeek_);
            pendingSeek_ = -1;
            dry_ = false;
        }
        workGen_ = pendingGen_;
        gen = workGen_;
    }
    if (!decoder_) return false;
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
    b->end = b->frames == 0;
    if (b->end) {
        // Where decoding ran dry is the song's true end, whatever the container said.
        dry_ = true;
        refining_ = false;
        std::lock_guard lock(mutex_);
        if (workSong_ == songId_) duration_.store(decoder_->position(), std::memory_order_relaxed);
    }
    ring_.publish();
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
    const float target = targetGain_.load(std::memory_order_relaxed);
    if (target != gainTarget_) {
        gainTarget_ = target;
        gainStep_ = (target - gain_) / float(rampFrames_);
        gainLeft_ = rampFrames_;
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
            if (gainLeft_ > 0) gain_ = --gainLeft_ == 0 ? gainTarget_ : gain_ + gainStep_;
            const float g = gain_ * level_;
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
        gain_ = gainTarget_;
        gainLeft_ = 0;
    }
    if (havePos_) published_.store(uint64_t(pos_) << 16 | (curGen_ & 0xffff), std::memory_order_release);
}

}  // namespace audio

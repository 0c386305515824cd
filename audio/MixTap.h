#pragma once
// A copy of the main output's mix for one reader on another thread (the
// broadcast encoder). The output callback must never wait for that reader, so
// the ring never refuses audio: when the reader falls behind, the newest audio
// overwrites the oldest, and the reader counts what it lost. The samples are
// relaxed atomics and the two indices a sequence lock, so a frame the writer
// overwrote while the reader copied it is detected and dropped, never heard
// torn.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>

namespace audio {

class MixTap {
  public:
    // Capacity in stereo frames, rounded up to a power of two.
    explicit MixTap(int frames) {
        while (capacity_ < uint64_t(frames)) capacity_ <<= 1;
        samples_ = std::make_unique<std::atomic<float>[]>(2 * capacity_);
    }

    // Output callback: copies interleaved stereo; never blocks or allocates.
    void push(const float* stereo, int frames) noexcept {
        uint64_t w = written_.load(std::memory_order_relaxed);
        for (int done = 0; done < frames;) {
            // Announce the frames about to be overwritten before touching them.
            const int n = int(std::min<uint64_t>(uint64_t(frames - done), capacity_));
            writing_.store(w + uint64_t(n), std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_release);
            for (int i = 0; i < n; ++i) {
                const uint64_t at = 2 * ((w + uint64_t(i)) & (capacity_ - 1));
                samples_[at].store(stereo[2 * (done + i)], std::memory_order_relaxed);
                samples_[at + 1].store(stereo[2 * (done + i) + 1], std::memory_order_relaxed);
            }
            w += uint64_t(n);
            written_.store(w, std::memory_order_release);
            done += n;
        }
    }

    // Reader: copies up to maxFrames of the oldest audio still intact into out.
    int pop(float* out, int maxFrames) {
        const uint64_t w = written_.load(std::memory_order_acquire);
        if (w - read_ > capacity_) skip(w - capacity_);
        const int n = int(std::min<uint64_t>(w - read_, uint64_t(maxFrames)));
        for (int i = 0; i < n; ++i) {
            const uint64_t at = 2 * ((read_ + uint64_t(i)) & (capacity_ - 1));
            out[2 * i] = samples_[at].load(std::memory_order_relaxed);
            out[2 * i + 1] = samples_[at + 1].load(std::memory_order_relaxed);
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        // Frames the writer started to overwrite while we copied are lost.
        const uint64_t hi = writing_.load(std::memory_order_relaxed);
        const uint64_t intactFrom = hi > capacity_ ? hi - capacity_ : 0;
        const uint64_t torn = intactFrom > read_ ? std::min<uint64_t>(intactFrom - read_, uint64_t(n)) : 0;
        if (torn > 0) std::copy(out + 2 * torn, out + 2 * n, out);
        skip(read_ + torn);
        read_ += uint64_t(n) - torn;
        readPublished_.store(read_, std::memory_order_release);
        return n - int(torn);
    }

    // Reader: forgets everything written so far (say, audio from before a reconnect).
    void discard() { skip(written_.load(std::memory_order_acquire)); }

    uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }
    uint64_t written() const { return written_.load(std::memory_order_acquire); }
    uint64_t read() const { return readPublished_.load(std::memory_order_acquire); }
    int capacity() const { return int(capacity_); }

  private:
    void skip(uint64_t to) {
        if (to > read_) {
            dropped_.fetch_add(to - read_, std::memory_order_relaxed);
            read_ = to;
        }
        readPublished_.store(read_, std::memory_order_release);
    }

    uint64_t capacity_ = 1;
    std::unique_ptr<std::atomic<float>[]> samples_;
    std::atomic<uint64_t> writing_{0}, written_{0};
    uint64_t read_ = 0;  // reader thread only
    std::atomic<uint64_t> dropped_{0}, readPublished_{0};
};

}  // namespace audio

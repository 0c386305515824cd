#pragma once
// The hand-over from a deck's decoder thread to the output callback: a fixed
// ring of sample blocks, one producer and one consumer, no locks. Each block
// carries the generation it was decoded for, so the callback can drop audio
// that an open or seek made stale, and the song position of its first frame,
// so the position the UI shows is the one being heard.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace audio {

inline constexpr int kBlockFrames = 512;

struct Block {
    uint32_t generation = 0;
    int frames = 0;                   // valid frames in samples
    int64_t startFrame = 0;           // song position of samples[0], in engine frames
    bool end = false;                 // marker: the decoder ran dry after the previous block
    float gain = 1;                   // the song's own level correction
    float samples[kBlockFrames * 2];  // interleaved stereo
};

class BlockRing {
  public:
    explicit BlockRing(size_t blocks) : size_(blocks + 1), blocks_(new Block[blocks + 1]) {}

    // Producer: a free block to fill, or null when full; publish() hands it over.
    Block* writable() {
        const size_t w = write_.load(std::memory_order_relaxed);
        if (next(w) == read_.load(std::memory_order_acquire)) return nullptr;
        return &blocks_[w];
    }
    void publish() { write_.store(next(write_.load(std::memory_order_relaxed)), std::memory_order_release); }

    // Consumer: the oldest published block, or null when empty; release() frees it.
    Block* readable() {
        const size_t r = read_.load(std::memory_order_relaxed);
        if (r == write_.load(std::memory_order_acquire)) return nullptr;
        return &blocks_[r];
    }
    void release() { read_.store(next(read_.load(std::memory_order_relaxed)), std::memory_order_release); }

    size_t capacity() const { return size_ - 1; }
    size_t used() const {
        const size_t w = write_.load(std::memory_order_acquire), r = read_.load(std::memory_order_acquire);
        return (w + size_ - r) % size_;
    }

  private:
    size_t next(size_t i) const { return i + 1 == size_ ? 0 : i + 1; }
    const size_t size_;
    std::unique_ptr<Block[]> blocks_;
    alignas(64) std::atomic<size_t> write_{0};
    alignas(64) std::atomic<size_t> read_{0};
};

}  // namespace audio

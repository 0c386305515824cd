#include "audio/Engine.h"

#include <algorithm>
#include <cstring>

#include "audio/MixTap.h"
#include "audio/SdlOutput.h"

namespace audio {

Engine::Engine() {
    output_ = std::make_unique<SdlOutput>(*this);
    output_->start();
}

Engine::Engine(Offline offline) : rate_(offline.rate) {}

Engine::~Engine() {
    // Silence the callback first, then let the decoder threads go.
    output_.reset();
    for (auto& d : owned_) d->stopWorker();
}

Deck* Engine::addDeck() {
    for (auto& slot : slots_) {
        if (slot.load()) continue;
        owned_.push_back(std::make_unique<Deck>(rate_));
        Deck* d = owned_.back().get();
        if (output_) d->startWorker();
        slot.store(d, std::memory_order_release);
        return d;
    }
    return nullptr;
}

void Engine::removeDeck(Deck* deck) {
    if (!deck) return;
    // Once the slot is cleared under the device lock, no callback can be inside the deck.
    if (output_) output_->lock();
    for (auto& slot : slots_)
        if (slot.load() == deck) slot.store(nullptr, std::memory_order_release);
    if (output_) output_->unlock();
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](auto& p) { return p.get() == deck; });
    if (it != owned_.end()) owned_.erase(it);
}

bool Engine::pump() {
    if (output_) return false;  // the decoder threads do this in real time
    bool any = false;
    for (auto& slot : slots_) {
        Deck* d = slot.load(std::memory_order_acquire);
        if (!d) continue;
        d->settleOffline();
        while (d->pump()) any = true;
    }
    return any;
}

void Engine::render(float* out, int frames) {
    std::memset(out, 0, sizeof(float) * 2 * size_t(frames));
    for (auto& slot : slots_)
        if (Deck* d = slot.load(std::memory_order_acquire)) d->mixInto(out, frames);
    for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
    if (MixTap* tap = tap_.load(std::memory_order_acquire)) tap->push(out, frames);
}

void Engine::setMixTap(MixTap* tap) {
    if (output_) output_->lock();
    tap_.store(tap, std::memory_order_release);
    if (output_) output_->unlock();
}

}  // namespace audio

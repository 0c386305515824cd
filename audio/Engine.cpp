#include "audio/Engine.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/MixTap.h"
#include "audio/SdlOutput.h"

namespace audio {

Engine::Engine() : Engine(std::make_unique<SdlOutputSystem>()) {}

Engine::Engine(std::unique_ptr<OutputSystem> system) : Engine(0, false, std::move(system)) {}

Engine::Engine(Offline offline, std::unique_ptr<OutputSystem> system)
    : Engine(offline.rate, true, std::move(system)) {}

Engine::Engine(int rate, bool offline, std::unique_ptr<OutputSystem> system)
    : offline_(offline), system_(std::move(system)) {
    for (Out& o : outs_) o.engine = this;
    outs_[1].which = Output::PreListen;
    // Without a rate of its own the engine takes the first device's; every
    // later device is converted to it.
    std::string error;
    if (system_)
        out(Output::Main).stream = system_->open("", rate, &Engine::callback, &out(Output::Main), error);
    if (rate) rate_ = rate;
}

Engine::~Engine() {
    // Silence the callbacks first, then let the decoder threads go.
    for (Out& o : outs_) o.stream.reset();
    for (auto& d : owned_) d->stopWorker();
}

Deck* Engine::addDeck(Output output) {
    for (auto& slot : out(output).decks) {
        if (slot.load()) continue;
        owned_.push_back(std::make_unique<Deck>(rate_));
        Deck* d = owned_.back().get();
        if (!offline_) d->startWorker();
        slot.store(d, std::memory_order_release);
        return d;
    }
    return nullptr;
}

void Engine::removeDeck(Deck* deck) {
    if (!deck) return;
    // Once the slot is cleared under the device lock, no callback can be inside the deck.
    for (Out& o : outs_) {
        if (o.stream) o.stream->lock();
        for (auto& slot : o.decks)
            if (slot.load() == deck) slot.store(nullptr, std::memory_order_release);
        if (o.stream) o.stream->unlock();
    }
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](auto& p) { return p.get() == deck; });
    if (it != owned_.end()) owned_.erase(it);
}

bool Engine::pump() {
    if (!offline_) return false;  // the decoder threads do this in real time
    bool any = false;
    for (Out& o : outs_)
        for (auto& slot : o.decks) {
            Deck* d = slot.load(std::memory_order_acquire);
            if (!d) continue;
            d->settleOffline();
            while (d->pump()) any = true;
        }
    return any;
}

void Engine::mix(Out& o, float* out, int frames) {
    std::memset(out, 0, sizeof(float) * 2 * size_t(frames));
    for (auto& slot : o.decks)
        if (Deck* d = slot.load(std::memory_order_acquire)) d->mixInto(out, frames);
    for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void Engine::setMasterLevel(float level) {
    master_.store(std::clamp(level, 0.0f, 1.0f), std::memory_order_relaxed);
}

void Engine::render(float* out, int frames) {
    mix(outs_[0], out, frames);
    if (MixTap* tap = tap_.load(std::memory_order_acquire)) tap->push(out, frames);
    // The master level is the room's: pre-listen in the DJ's headphones keeps its own.
    const float target = master_.load(std::memory_order_relaxed);
    const float step = 1.0f / (kMasterRampSeconds * float(rate_));
    for (int f = 0; f < frames; ++f) {
        if (masterNow_ != target)
            masterNow_ = target > masterNow_ ? std::min(target, masterNow_ + step)
                                             : std::max(target, masterNow_ - step);
        out[2 * f] *= masterNow_;
        out[2 * f + 1] *= masterNow_;
    }
}

void Engine::setMixTap(MixTap* tap) {
    Out& main = outs_[0];
    if (main.stream) main.stream->lock();
    tap_.store(tap, std::memory_order_release);
    if (main.stream) main.stream->unlock();
}

void Engine::render(Output output, float* out, int frames) {
    if (output == Output::Main)
        render(out, frames);
    else
        mix(outs_[1], out, frames);
}

void Engine::callback(void* user, float* buf, int frames) {
    Out& o = *static_cast<Out*>(user);
    const auto start = std::chrono::steady_clock::now();
    o.engine->render(o.which, buf, frames);
    const uint64_t ns = uint64_t(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
            .count());
    // Only this output's thread writes its figures; readers take them as they come.
    CallbackStats& st = o.stats;
    st.frames.store(frames, std::memory_order_relaxed);
    st.totalNs.store(st.totalNs.load(std::memory_order_relaxed) + ns, std::memory_order_relaxed);
    if (ns > st.maxNs.load(std::memory_order_relaxed)) st.maxNs.store(ns, std::memory_order_relaxed);
    st.count.store(st.count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

}  // namespace audio

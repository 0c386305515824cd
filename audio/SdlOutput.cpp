#include "audio/SdlOutput.h"

#include <chrono>
#include <cstdio>

#include "audio/Engine.h"

namespace audio {

SdlOutput::SdlOutput(Engine& engine) : engine_(engine) {
    int rate = 0;
    // SIGTERM and SIGINT belong to the program, which ends as its Exit item does.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        subsystem_ = true;
        if (openDevice(rate)) engine_.hasDevice_ = std::string(SDL_GetCurrentAudioDriver()) != "dummy";
    }
    if (!device_) {
        // No sound card: the dummy driver consumes audio at real-time pace,
        // so positions advance and songs end as they would when heard.
        if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
        std::fprintf(stderr, "Velumix: no audio device was found; playing silently.\n");
        dummy_ = SDL_AudioInit("dummy") == 0;
        if (dummy_) openDevice(rate);
        engine_.hasDevice_ = false;
    }
    if (device_) {
        engine_.rate_ = rate;
        const char* d = SDL_GetCurrentAudioDriver();
        engine_.driver_ = d ? d : "";
    }
}

SdlOutput::~SdlOutput() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (dummy_) SDL_AudioQuit();
}

bool SdlOutput::openDevice(int& rate) {
    SDL_AudioSpec want{}, have{};
    want.freq = 48000;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlOutput::callback;
    want.userdata = this;
    // SDL converts format and channels for us; the rate we take as the device offers it.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!device_) return false;
    rate = have.freq;
    return true;
}

void SdlOutput::start() {
    if (device_) SDL_PauseAudioDevice(device_, 0);
}

void SdlOutput::lock() {
    if (device_) SDL_LockAudioDevice(device_);
}

void SdlOutput::unlock() {
    if (device_) SDL_UnlockAudioDevice(device_);
}

void SdlOutput::callback(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlOutput*>(user);
    const auto start = std::chrono::steady_clock::now();
    const int frames = len / int(2 * sizeof(float));
    self->engine_.render(reinterpret_cast<float*>(stream), frames);
    const uint64_t ns = uint64_t(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
            .count());
    // Only this thread writes the figures; readers take them as they come.
    Engine::CallbackStats& st = self->engine_.stats_;
    st.frames.store(frames, std::memory_order_relaxed);
    st.totalNs.store(st.totalNs.load(std::memory_order_relaxed) + ns, std::memory_order_relaxed);
    if (ns > st.maxNs.load(std::memory_order_relaxed)) st.maxNs.store(ns, std::memory_order_relaxed);
    st.count.store(st.count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

}  // namespace audio

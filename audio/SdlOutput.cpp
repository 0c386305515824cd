#include "audio/SdlOutput.h"

#include <cstdio>

#include "audio/Engine.h"

namespace audio {

SdlOutput::SdlOutput(Engine& engine) : engine_(engine) {
    int rate = 0;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && openDevice(rate)) {
        engine_.hasDevice_ = std::string(SDL_GetCurrentAudioDriver()) != "dummy";
    } else {
        // No sound card: the dummy driver consumes audio at real-time pace,
        // so positions advance and songs end as they would when heard.
        if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::fprintf(stderr, "Velumix: no audio device was found; playing silently.\n");
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) openDevice(rate);
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
    if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
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
    self->engine_.render(reinterpret_cast<float*>(stream), len / int(2 * sizeof(float)));
    self->engine_.callbacks_.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace audio

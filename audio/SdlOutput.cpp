#include "audio/SdlOutput.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstring>

namespace audio {

namespace {

class SdlStream : public OutputStream {
  public:
    SdlStream(RenderFn fn, void* user) : fn_(fn), user_(user) {}
    ~SdlStream() override {
        // Returns once no callback is running, so the engine may drop its side.
        if (device_) SDL_CloseAudioDevice(device_);
    }
    bool open(const char* name, int& rate, std::string& error) {
        SDL_AudioSpec want{}, have{};
        want.freq = rate ? rate : 48000;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlStream::callback;
        want.userdata = this;
        // SDL converts format and channels; the rate follows the device only
        // for the first output, whose rate every later one is converted to.
        device_ = SDL_OpenAudioDevice(name, 0, &want, &have, rate ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (!device_) {
            error = SDL_GetError();
            return false;
        }
        rate = have.freq;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }
    bool lost() const override { return SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED; }
    void lock() override { SDL_LockAudioDevice(device_); }
    void unlock() override { SDL_UnlockAudioDevice(device_); }

  private:
    static void callback(void* user, Uint8* stream, int len) {
        auto* self = static_cast<SdlStream*>(user);
        // SDL keeps calling a device that was unplugged; mixing into nowhere
        // would move the songs on unheard until the mix has moved elsewhere.
        if (SDL_GetAudioDeviceStatus(self->device_) == SDL_AUDIO_STOPPED) {
            std::memset(stream, 0, size_t(len));
            return;
        }
        self->fn_(self->user_, reinterpret_cast<float*>(stream), len / int(2 * sizeof(float)));
    }
    RenderFn fn_;
    void* user_;
    SDL_AudioDeviceID device_ = 0;
};

}  // namespace

SdlOutputSystem::SdlOutputSystem() {
    // SIGTERM and SIGINT belong to the program, which ends as its Exit item does.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    subsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlOutputSystem::~SdlOutputSystem() {
    if (dummy_)
        SDL_AudioQuit();
    else if (subsystem_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::vector<std::string> SdlOutputSystem::devices() {
    std::vector<std::string> names;
    if (!hasDevice()) return names;
    const int n = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < n; ++i)
        if (const char* name = SDL_GetAudioDeviceName(i, 0)) names.emplace_back(name);
    return names;
}

std::string SdlOutputSystem::defaultDevice() {
    char* name = nullptr;
    SDL_AudioSpec spec;
    if (!hasDevice() || SDL_GetDefaultAudioInfo(&name, &spec, 0) != 0 || !name) return "";
    std::string s = name;
    SDL_free(name);
    return s;
}

std::string SdlOutputSystem::driver() const {
    const char* d = (subsystem_ || dummy_) ? SDL_GetCurrentAudioDriver() : nullptr;
    return d ? d : "";
}

std::unique_ptr<OutputStream> SdlOutputSystem::open(const std::string& device, int& rate, RenderFn fn,
                                                    void* user, std::string& error) {
    auto stream = std::make_unique<SdlStream>(fn, user);
    const char* name = device.empty() ? nullptr : device.c_str();
    if ((subsystem_ || dummy_) && stream->open(dummy_ ? nullptr : name, rate, error)) {
        opened_ = true;
        return stream;
    }
    // Only a first default that fails means there is no sound card; restarting
    // the subsystem later would close the outputs that do play.
    if (name || triedDummy_ || opened_) return nullptr;
    // Not even the default opens: no sound card. The dummy driver consumes
    // audio at real-time pace, so the decks behave as when heard.
    triedDummy_ = true;
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
    std::fprintf(stderr, "Velumix: no audio device was found; playing silently.\n");
    dummy_ = SDL_AudioInit("dummy") == 0;
    if (dummy_ && stream->open(nullptr, rate, error)) return stream;
    return nullptr;
}

}  // namespace audio

#pragma once
// The output device: SDL2's audio API, float stereo at the device's rate.
#include <string>

#include <SDL2/SDL.h>

namespace audio {

class Engine;

class SdlOutput {
  public:
    // Opens the default device, or SDL's dummy driver when none opens.
    // Fills in the engine's rate, driver and hasDevice.
    explicit SdlOutput(Engine& engine);
    ~SdlOutput();
    bool ok() const { return device_ != 0; }
    void start();
    // Holds the callback off while decks are added or removed.
    void lock();
    void unlock();

  private:
    static void callback(void* user, Uint8* stream, int len);
    bool openDevice(int& rate);
    Engine& engine_;
    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false, dummy_ = false;
};

}  // namespace audio

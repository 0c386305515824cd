#pragma once
// Where the engine's mixes are heard: a sound system's playback devices, each
// opened as a stream whose callback asks for the next frames. The program
// uses SDL2's devices; tests put a scripted system behind the same interface.
#include <memory>
#include <string>
#include <vector>

namespace audio {

// Called on the device's own thread: fill `frames` frames of interleaved
// float stereo. Must not lock, allocate or do I/O.
using RenderFn = void (*)(void* user, float* out, int frames);

class OutputStream {
  public:
    virtual ~OutputStream() = default;
    // The device went away after it opened (say, a USB interface unplugged).
    // From then on the stream no longer asks for frames.
    virtual bool lost() const = 0;
    // Hold the callback off while the engine changes what it mixes.
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

class OutputSystem {
  public:
    virtual ~OutputSystem() = default;
    // Playback devices by name, as the sound system lists them now.
    virtual std::vector<std::string> devices() = 0;
    // The system's default device ("" when it does not say).
    virtual std::string defaultDevice() = 0;
    // Opens `device` ("" = the default) and starts calling fn. rate 0 takes
    // the device's own rate and reports it; any other rate is converted to.
    // Null with `error` set when the device cannot be opened.
    virtual std::unique_ptr<OutputStream> open(const std::string& device, int& rate, RenderFn fn, void* user,
                                               std::string& error) = 0;
    // False while the system plays into a silent stand-in (no sound card).
    virtual bool hasDevice() const = 0;
    virtual std::string driver() const = 0;
};

}  // namespace audio

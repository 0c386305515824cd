#pragma once
// The sound system behind the program: SDL2's playback devices (PipeWire,
// PulseAudio or ALSA), float stereo. When the default device cannot be opened
// at all, SDL's silent "dummy" driver stands in, so positions still advance
// and songs still end as they would when heard.
#include "audio/Output.h"

namespace audio {

class SdlOutputSystem : public OutputSystem {
  public:
    SdlOutputSystem();
    ~SdlOutputSystem() override;
    std::vector<std::string> devices() override;
    std::string defaultDevice() override;
    std::unique_ptr<OutputStream> open(const std::string& device, int& rate, RenderFn fn, void* user,
                                       std::string& error) override;
    bool hasDevice() const override { return subsystem_ && driver() != "dummy"; }
    std::string driver() const override;

  private:
    bool subsystem_ = false, dummy_ = false, triedDummy_ = false, opened_ = false;
};

}  // namespace audio

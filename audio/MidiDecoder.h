#pragma once
// MIDI and RMI songs rendered by FluidSynth with a General MIDI sound font.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Decoder.h"

namespace audio {

// The first installed General MIDI sound font, or "" when there is none.
std::string findSoundFont();

std::unique_ptr<Decoder> openMidiDecoder(const std::vector<unsigned char>& file, bool rmi, int rate,
                                         std::string& error);

}  // namespace audio

// The RMI unwrapper and the MIDI parser with its tempo map on arbitrary
// bytes: events come out in time order and never past the song's length.
#include <cstdint>
#include <cstdlib>

#include "audio/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* smf = data;
    size_t smfSize = size;
    if (audio::unwrapRmi(data, size, &smf, &smfSize) && (smf < data || smf + smfSize > data + size))
        std::abort();
    audio::MidiSong song;
    std::string error;
    if (audio::parseMidi(smf, smfSize, song, error)) {
        double last = 0;
        for (const auto& e : song.events) {
            if (e.seconds < last || e.seconds > song.duration + 1e-9) std::abort();
            if (e.sysexSize && size_t(e.sysexOffset) + e.sysexSize > song.sysex.size()) std::abort();
            last = e.seconds;
        }
    }
    return 0;
}

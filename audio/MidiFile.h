#pragma once
// Standard MIDI files: the RMI wrapper, the events of all tracks in time
// order and the tempo map that turns ticks into seconds. Pure parsing, no
// synthesis, so it can be fed any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace audio {

struct MidiEvent {
    double seconds = 0;
    uint8_t status = 0;  // channel message status, or 0xF0 for a system exclusive
    uint8_t data1 = 0, data2 = 0;
    uint32_t sysexOffset = 0, sysexSize = 0;  // into MidiSong::sysex, without F0/F7
};

struct MidiSong {
    std::vector<MidiEvent> events;  // sorted by time
    std::vector<uint8_t> sysex;
    double duration = 0;  // seconds to the last event of the longest track
};

// The standard MIDI file inside a RIFF 'RMID' file's 'data' chunk. Returns
// false when the bytes are no such wrapper or the chunk is missing.
bool unwrapRmi(const uint8_t* data, size_t size, const uint8_t** smf, size_t* smfSize);

// Parses a standard MIDI file. A track cut short keeps the events before the
// cut; a file without a header or any track fails with a reason in `error`.
bool parseMidi(const uint8_t* data, size_t size, MidiSong& song, std::string& error);

}  // namespace audio

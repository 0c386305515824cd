#pragma once
// Test material for the audio engine: songs encoded on the fly through
// FFmpeg's encoders, MIDI files assembled byte by byte, and measurements on
// rendered samples.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/Engine.h"

namespace fixtures {

using SampleFn = std::function<double(long frame, int channel)>;

struct Encoding {
    const char* muxer;       // "mp3", "asf", "au", "wav"
    const char* codec;       // "libmp3lame", "wmav2", "pcm_mulaw", ...
    int vbrQuality = -1;     // >= 0: variable bit rate at this LAME quality
    bool xingHeader = true;  // MP3 only
};

// Encodes frames of sample() at rate into path; false on any FFmpeg failure.
bool encode(const std::string& path, const Encoding& enc, int rate, int channels, long frames,
            const SampleFn& sample);

// A standard MIDI file: one tempo track (format 1) plus one note track.
struct MidiWriter {
    int division = 480;
    std::vector<uint8_t> tempoTrack, noteTrack;
    void tempo(uint32_t delta, uint32_t usPerQuarter);
    void note(uint32_t delta, uint8_t key, uint32_t length, uint8_t channel = 0);
    void program(uint32_t delta, uint8_t channel, uint8_t program);
    std::vector<uint8_t> bytes() const;
};
// Wraps a standard MIDI file in a RIFF RMID container.
std::vector<uint8_t> wrapRmi(const std::vector<uint8_t>& smf);
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Offline driving: pumps and renders until every deck reports its end, or
// maxSeconds of output. Appends the rendered stereo samples to *out.
struct PlayOut {
    int ends = 0;  // takeEnded() true count on `deck`
    double renderedSeconds = 0;
    double endPosition = -1;  // deck position when its end was reported
};
PlayOut renderUntilEnd(audio::Engine& engine, audio::Deck* deck, double maxSeconds,
                       std::vector<float>* out = nullptr, int chunk = 1024);
void renderFor(audio::Engine& engine, double seconds, std::vector<float>* out = nullptr, int chunk = 1024);

// Measurements on interleaved stereo (left channel unless said).
double rms(const std::vector<float>& s, size_t fromFrame, size_t frames);
double dB(double ratio);
// Index of the first frame whose absolute value exceeds threshold, or -1.
long firstAbove(const std::vector<float>& s, double threshold, size_t fromFrame = 0);
// Offset (frames) of `part` inside `whole` that best matches, searched around `expected` +- range.
long bestLag(const std::vector<float>& whole, const std::vector<float>& part, long expected, long range,
             size_t length);
// Amplitude of a sine of frequency hz in the left channel over the given frames.
double toneAmplitude(const std::vector<float>& s, int rate, double hz, size_t fromFrame, size_t frames);

// A noise-like but reproducible signal in [-amp, amp].
double chirp(long frame, int rate, double amp = 0.5);

}  // namespace fixtures

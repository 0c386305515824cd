#pragma once
// Test material for the audio engine: songs encoded on the fly by the ffmpeg
// program, MIDI files assembled byte by byte, offline rendering, and
// measurements on rendered interleaved stereo (the left channel).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/Engine.h"

namespace fixtures {

using SampleFn = std::function<double(long frame, int channel)>;

// Encodes frames of sample() (as 16-bit PCM at rate) into path, with ffmpeg's
// output options (say "-c:a libmp3lame"); false when ffmpeg fails.
bool encode(const std::string& path, const std::string& options, int rate, int channels, long frames,
            const SampleFn& sample);
// A noise-like but reproducible signal in [-amp, amp]: no two stretches alike.
double chirp(long frame, int rate, double amp = 0.5);

// A standard MIDI file around the tracks' raw events (format 1 when more than one).
std::vector<uint8_t> midiFile(const std::vector<std::vector<uint8_t>>& tracks, int division = 480);
// Wraps a standard MIDI file in a RIFF RMID container, after an empty LIST chunk.
std::vector<uint8_t> wrapRmi(const std::vector<uint8_t>& smf);
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Offline driving: pumps and renders until `deck` reports its end (then
// 0.5 s more, where a second end would be a fault) or maxSeconds of output.
struct PlayOut {
    int ends = 0;
    double renderedSeconds = 0;
    double endPosition = -1;  // deck position when its end was reported
};
PlayOut renderUntilEnd(audio::Engine& engine, audio::Deck* deck, double maxSeconds,
                       std::vector<float>* out = nullptr, int chunk = 1024);
void renderFor(audio::Engine& engine, double seconds, std::vector<float>* out = nullptr, int chunk = 1024);

double rms(const std::vector<float>& s, size_t fromFrame, size_t frames);
double dB(double ratio);
// Index of the first frame whose absolute value exceeds threshold, or -1.
long firstAbove(const std::vector<float>& s, double threshold, size_t fromFrame = 0);
// Offset (frames) of `part` inside `whole` that best matches, searched around `expected` +- range.
long bestLag(const std::vector<float>& whole, const std::vector<float>& part, long expected, long range,
             size_t length);
// Amplitude of a sine of frequency hz over the given frames.
double toneAmplitude(const std::vector<float>& s, int rate, double hz, size_t fromFrame, size_t frames);

}  // namespace fixtures

#pragma once
// Test material for the audio engine: songs encoded on the fly by the ffmpeg
// program and MIDI files assembled byte by byte. Shared with bench_audio.
#include <QFile>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/AudioRender.h"
#include "support/WavWriter.h"

namespace fixtures {

using Bytes = std::vector<uint8_t>;

// Encodes frames of sample() (as 16-bit PCM at rate) into path, with ffmpeg's
// output options (say "-c:a libmp3lame"); false when ffmpeg fails.
inline bool encode(const std::string& path, const std::string& options, int rate, int channels, long frames,
                   const std::function<double(long frame, int channel)>& sample) {
    const std::string wav = path + ".pcm.wav";
    const bool ok =
        WriteWav(QString::fromStdString(wav), rate, channels, frames, sample) &&
        std::system(("ffmpeg -v error -y -i '" + wav + "' " + options + " '" + path + "'").c_str()) == 0;
    std::remove(wav.c_str());
    return ok;
}

// A noise-like but reproducible signal in [-amp, amp]: no two stretches alike.
inline double chirp(long frame, int rate, double amp = 0.5) {
    const double t = double(frame) / rate;
    return amp * std::sin(2 * M_PI * (220 * t + 90 * t * t) + 2 * std::sin(2 * M_PI * 3.3 * t));
}

inline void put32(Bytes& b, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (bigEndian ? 24 - 8 * i : 8 * i)));
}

// A standard MIDI file around the tracks' raw events (format 1 when more than one).
inline Bytes midiFile(const std::vector<Bytes>& tracks, int division = 480) {
    Bytes f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(tracks.size() > 1), 0, uint8_t(tracks.size())};
    f.insert(f.end(), {uint8_t(division >> 8), uint8_t(division)});
    for (const Bytes& t : tracks) {
        f.insert(f.end(), {'M', 'T', 'r', 'k'});
        put32(f, uint32_t(t.size()), true);
        f.insert(f.end(), t.begin(), t.end());
    }
    return f;
}

// Wraps a standard MIDI file in a RIFF RMID container, after a LIST chunk of
// odd length (so a reader has to step over its pad byte).
inline Bytes wrapRmi(const Bytes& smf) {
    const uint32_t pad = smf.size() & 1;
    Bytes out = {'R', 'I', 'F', 'F'};
    put32(out, uint32_t(4 + 14 + 8 + smf.size() + pad), false);
    for (char c : std::string("RMIDLIST\5\0\0\0INFO!\0data", 22)) out.push_back(uint8_t(c));
    put32(out, uint32_t(smf.size()), false);
    out.insert(out.end(), smf.begin(), smf.end());
    if (pad) out.push_back(0);
    return out;
}

// Bytes or a QByteArray, into a new file at path.
template <class Container>
bool writeBytes(const std::string& path, const Container& bytes) {
    QFile f(QString::fromStdString(path));
    const qint64 n = qint64(bytes.size());
    return f.open(QIODevice::WriteOnly) && f.write(reinterpret_cast<const char*>(bytes.data()), n) == n;
}

}  // namespace fixtures

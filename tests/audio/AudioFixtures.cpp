#include "AudioFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fixtures {

bool encode(const std::string& path, const std::string& options, int rate, int channels, long frames,
            const SampleFn& sample) {
    const std::string cmd = "ffmpeg -v error -y -f s16le -ar " + std::to_string(rate) + " -ac " +
                            std::to_string(channels) + " -i - " + options + " '" + path + "'";
    FILE* p = popen(cmd.c_str(), "w");
    if (!p) return false;
    std::vector<int16_t> buf;
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            buf.push_back(int16_t(std::lround(std::clamp(sample(f, c), -1.0, 1.0) * 32767)));
    const bool wrote = std::fwrite(buf.data(), 2, buf.size(), p) == buf.size();
    return pclose(p) == 0 && wrote;
}

double chirp(long frame, int rate, double amp) {
    const double t = double(frame) / rate;
    return amp * std::sin(2 * M_PI * (220 * t + 90 * t * t) + 2 * std::sin(2 * M_PI * 3.3 * t));
}

namespace {
void be32(std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
void le32(std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(v >> s));
}
}  // namespace

std::vector<uint8_t> midiFile(const std::vector<std::vector<uint8_t>>& tracks, int division) {
    std::vector<uint8_t> f = {'M',
                              'T',
                              'h',
                              'd',
                              0,
                              0,
                              0,
                              6,
                              0,
                              uint8_t(tracks.size() > 1),
                              0,
                              uint8_t(tracks.size()),
                              uint8_t(division >> 8),
                              uint8_t(division)};
    for (const auto& t : tracks) {
        f.insert(f.end(), {'M', 'T', 'r', 'k'});
        be32(f, uint32_t(t.size()));
        f.insert(f.end(), t.begin(), t.end());
    }
    return f;
}

std::vector<uint8_t> wrapRmi(const std::vector<uint8_t>& smf) {
    const uint32_t pad = smf.size() & 1;
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    le32(out, uint32_t(4 + 12 + 8 + smf.size() + pad));
    out.insert(out.end(),
               {'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O', 'd', 'a', 't', 'a'});
    le32(out, uint32_t(smf.size()));
    out.insert(out.end(), smf.begin(), smf.end());
    if (pad) out.push_back(0);
    return out;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

PlayOut renderUntilEnd(audio::Engine& engine, audio::Deck* deck, double maxSeconds, std::vector<float>* out,
                       int chunk) {
    PlayOut run;
    std::vector<float> buf(2 * size_t(chunk));
    while (run.renderedSeconds < maxSeconds) {
        engine.pump();
        engine.render(buf.data(), chunk);
        if (out) out->insert(out->end(), buf.begin(), buf.end());
        run.renderedSeconds += double(chunk) / engine.rate();
        if (deck->takeEnded() && ++run.ends == 1) {
            run.endPosition = deck->position();
            maxSeconds = std::min(maxSeconds, run.renderedSeconds + 0.5);
        }
    }
    return run;
}

void renderFor(audio::Engine& engine, double seconds, std::vector<float>* out, int chunk) {
    std::vector<float> buf(2 * size_t(chunk));
    for (long done = 0; done < long(seconds * engine.rate()); done += chunk) {
        engine.pump();
        engine.render(buf.data(), chunk);
        if (out) out->insert(out->end(), buf.begin(), buf.end());
    }
}

double rms(const std::vector<float>& s, size_t from, size_t frames) {
    double sum = 0;
    for (size_t i = from; i < from + frames && 2 * i < s.size(); ++i) sum += double(s[2 * i]) * s[2 * i];
    return std::sqrt(sum / double(frames));
}

double dB(double ratio) {
    return 20 * std::log10(ratio);
}

long firstAbove(const std::vector<float>& s, double threshold, size_t from) {
    for (size_t i = from; 2 * i < s.size(); ++i)
        if (std::fabs(s[2 * i]) > threshold) return long(i);
    return -1;
}

long bestLag(const std::vector<float>& whole, const std::vector<float>& part, long expected, long range,
             size_t length) {
    long best = expected;
    double bestErr = 1e300;
    for (long lag = std::max(0L, expected - range); lag <= expected + range; ++lag) {
        if (2 * (size_t(lag) + length) > whole.size()) break;
        double err = 0;
        for (size_t i = 0; i < length; ++i) err += std::pow(double(whole[2 * (lag + i)]) - part[2 * i], 2);
        if (err < bestErr) bestErr = err, best = lag;
    }
    return best;
}

double toneAmplitude(const std::vector<float>& s, int rate, double hz, size_t from, size_t frames) {
    double re = 0, im = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double ph = 2 * M_PI * hz * double(i) / rate;
        re += s[2 * (from + i)] * std::cos(ph);
        im += s[2 * (from + i)] * std::sin(ph);
    }
    return 2 * std::hypot(re, im) / double(frames);
}

}  // namespace fixtures

#include "support/WavWriter.h"

#include <QFile>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
void put16(std::vector<char>& b, uint16_t v) {
    b.push_back(char(v & 0xff));
    b.push_back(char(v >> 8));
}
void put32(std::vector<char>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(char((v >> (8 * i)) & 0xff));
}
}  // namespace

bool WriteWav(const QString& file, int rate, int channels, long frames,
              const std::function<double(long, int)>& sample) {
    std::vector<char> b;
    const uint32_t dataBytes = uint32_t(frames * channels * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(b, 36 + dataBytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);
    put16(b, 1);
    put16(b, uint16_t(channels));
    put32(b, uint32_t(rate));
    put32(b, uint32_t(rate * channels * 2));
    put16(b, uint16_t(channels * 2));
    put16(b, 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, dataBytes);
    b.reserve(b.size() + dataBytes);
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c) {
            double v = std::clamp(sample(f, c), -1.0, 1.0);
            put16(b, uint16_t(int16_t(std::lround(v * 32767.0))));
        }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    return out.write(b.data(), qint64(b.size())) == qint64(b.size());
}

bool WriteSineWav(const QString& file, double seconds, double hz, double amplitude, int rate, int channels) {
    const long frames = long(std::lround(seconds * rate));
    return WriteWav(file, rate, channels, frames,
                    [&](long f, int) { return amplitude * std::sin(2 * M_PI * hz * double(f) / rate); });
}

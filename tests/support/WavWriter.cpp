#include "support/WavWriter.h"

#include <QFile>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
// Little-endian, as every number in the file is.
void put(std::vector<char>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(char((v >> (8 * i)) & 0xff));
}
}  // namespace

bool WriteWav(const QString& file, int rate, int channels, long frames,
              const std::function<double(long, int)>& sample) {
    std::vector<char> b;
    const uint32_t dataBytes = uint32_t(frames * channels * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put(b, 36 + dataBytes, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(b, 16, 4);
    put(b, 1, 2);
    put(b, uint16_t(channels), 2);
    put(b, uint32_t(rate), 4);
    put(b, uint32_t(rate * channels * 2), 4);
    put(b, uint16_t(channels * 2), 2);
    put(b, 16, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(b, dataBytes, 4);
    b.reserve(b.size() + dataBytes);
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c) {
            double v = std::clamp(sample(f, c), -1.0, 1.0);
            put(b, uint16_t(int16_t(std::lround(v * 32767.0))), 2);
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

#pragma once
#include <QDataStream>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>

// Writes a 16-bit PCM WAV file; sample(frame, channel) gives values in [-1, 1].
inline bool WriteWav(const QString& file, int rate, int channels, long frames,
                     const std::function<double(long, int)>& sample) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    // Every number in the file is little-endian.
    QDataStream s(&out);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataBytes = quint32(frames * channels * 2);
    s.writeRawData("RIFF", 4);
    s << quint32(36 + dataBytes);
    s.writeRawData("WAVEfmt ", 8);
    s << quint32(16) << quint16(1) << quint16(channels) << quint32(rate) << quint32(rate * channels * 2)
      << quint16(channels * 2) << quint16(16);
    s.writeRawData("data", 4);
    s << dataBytes;
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            s << qint16(std::lround(std::clamp(sample(f, c), -1.0, 1.0) * 32767.0));
    return s.status() == QDataStream::Ok && out.flush();
}

// A sine tone at the given frequency and amplitude, the same on every channel.
inline bool WriteSineWav(const QString& file, double seconds, double hz, double amplitude = 0.5,
                         int rate = 44100, int channels = 2) {
    return WriteWav(file, rate, channels, long(std::lround(seconds * rate)),
                    [&](long f, int) { return amplitude * std::sin(2 * M_PI * hz * double(f) / rate); });
}

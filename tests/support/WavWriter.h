#pragma once
#include <QString>
#include <functional>

// Writes a 16-bit PCM WAV file; sample(frame, channel) gives values in [-1, 1].
bool WriteWav(const QString& file, int rate, int channels, long frames,
              const std::function<double(long, int)>& sample);
// A sine tone at the given frequency and amplitude, the same on every channel.
bool WriteSineWav(const QString& file, double seconds, double hz, double amplitude = 0.5, int rate = 44100,
                  int channels = 2);

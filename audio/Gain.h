#pragma once
// Deck volume is an integer in hundredths of a decibel relative to full scale.
namespace audio {
// Linear amplitude for a volume: 10^(v/2000); 0 -> 1.0, -600 -> 0.501.
double linearGain(int hundredthsOfDb);
}  // namespace audio

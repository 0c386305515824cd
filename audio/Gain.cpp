#include "audio/Gain.h"

#include <cmath>

namespace audio {
double linearGain(int hundredthsOfDb) {
    return std::pow(10.0, hundredthsOfDb / 2000.0);
}
}  // namespace audio

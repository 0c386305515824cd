#pragma once
// What the program's decks do with the sound, per user (Tools menu). The
// decks read them at each open and each fade step, so a change applies from
// the next song or step on.
#include "app/Options.h"

namespace SoundOptions {
inline constexpr Options::Flag kSmoothFades{"sound/smoothFades", "Smooth Fades", true};
inline constexpr Options::Flag kSkipSilence{"sound/skipSilence", "Skip Silence", false};
inline constexpr Options::Flag kLevelLoudness{"sound/levelLoudness", "Level Loudness", false};
}  // namespace SoundOptions

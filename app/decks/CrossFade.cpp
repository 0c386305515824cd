#include "app/decks/CrossFade.h"

#include <cmath>

namespace CrossFade {

TickPlan Tick(const TickInput& in, const Params& fade) {
    const int other = in.watched == 1 ? 2 : 1;
    TickPlan p;
    p.watchedVolume = in.watchedVolume;
    p.otherVolume = in.otherVolume;
    p.currentDeck = in.currentDeck;

    // The absolute difference: a deck whose position overshoots its length,
    // or whose length is not known yet (0), counts as ending.
    const double remaining = std::fabs(in.duration - in.position);
    // Once the next song has started, CurrentDeck names the incoming deck and
    // keeps the fade going whatever the remaining time.
    p.fading = remaining <= fade.leadSeconds || in.currentDeck == other;
    if (!p.fading) {
        p.watchedVolume = 0;
        p.otherVolume = fade.silent;
        p.currentDeck = in.watched;
    } else {
        p.watchedVolume += fade.fadeOutStep;
        // Exactly the start point: a fade that began from a volume off the
        // 300 grid passes it by and starts nothing.
        if (p.watchedVolume == fade.startPoint && in.cueHasSongs) {
            p.startNext = true;
            p.currentDeck = other;
            p.otherVolume = fade.startVolume;
        }
        if (p.watchedVolume < fade.handOverBelow) {
            p.handOver = true;
            p.watchedVolume = fade.silent;
            p.otherVolume = 0;
            p.faderTo = in.watched == 1 ? kFaderDeck2 : kFaderDeck1;
            return p;
        }
        if (p.otherVolume < 0 && p.watchedVolume <= fade.startPoint) p.otherVolume += fade.fadeInStep;
    }

    // Deck 1 is the home deck: only a stopped deck 2 sends the engine back to it.
    if (in.watched == 2 && in.watchedPlayState == DeckPlayer::Stopped) {
        p.fallBack = true;
        p.otherVolume = 0;
        p.watchedVolume = fade.silent;
        p.currentDeck = 1;
        p.faderTo = kFaderDeck1;
    }
    return p;
}

ArmPlan Arm(bool deck1Playing, bool deck2Playing, int faderValue, const Params& fade) {
    ArmPlan p;
    if (deck1Playing && deck2Playing) {
        p.liveDeck = faderValue > kFaderMiddle ? 2 : 1;
        p.setVolumes = true;
        p.deck1Volume = p.liveDeck == 1 ? 0 : fade.bothPlaying;
        p.deck2Volume = p.liveDeck == 2 ? 0 : fade.bothPlaying;
        p.disableFader = true;
    } else {
        p.liveDeck = deck2Playing ? 2 : 1;
    }
    p.watch = p.liveDeck == 1 ? deck1Playing : deck2Playing;
    if (p.watch) {
        p.faderTo = p.liveDeck == 1 ? kFaderDeck1 : kFaderDeck2;
        p.disableFader = true;
    }
    return p;
}

}  // namespace CrossFade

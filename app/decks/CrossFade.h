#pragma once
// The decisions of the cross-fade engine, free of widgets and players: given
// what a watcher tick reads from the decks, what it must do. The handlers on
// the main window read the inputs, call these and carry out the result.
#include "app/decks/DeckPlayer.h"

namespace CrossFade {

// The numbers of a fade, today's as defaults. Volumes are hundredths of a
// decibel, 0 = full volume.
struct Params {
    double leadSeconds = 15;  // a fade is due at this much remaining time or less
    int fadeOutStep = -300;   // per tick, from the outgoing deck
    int startPoint = -1500;   // the outgoing deck's volume at which the next song starts, exactly
    int startVolume = -2000;  // of the incoming deck as its song starts
    int fadeInStep = 400;     // per tick, to the incoming deck
    int handOverBelow = -3000;
    int bothPlaying = -3000;  // the deck not chosen when the engine is switched on over two playing decks
    int silent = -6000;       // the deck that is not live
    int tickMs = 1000;        // the watchers' interval
    int deck2AtOpen = -3000;  // deck 2's volume when the main window opens
};

constexpr int kFaderDeck1 = 0;
constexpr int kFaderDeck2 = 60;
constexpr int kFaderMiddle = 30;

// What one tick of the watcher of deck `watched` reads.
struct TickInput {
    int watched = 1;  // 1 (T1) or 2 (T2)
    int currentDeck = 1;
    double duration = 0;  // of the watched deck, seconds
    double position = 0;
    int watchedVolume = 0;
    int otherVolume = Params{}.silent;
    bool cueHasSongs = false;
    int watchedPlayState = DeckPlayer::Playing;
};

// What the tick does. The next song (when started) goes onto the other deck,
// which is set to kStartVolume right after it is told to play; the volumes
// below are the ones in force when the tick ends.
struct TickPlan {
    bool fading = false;  // the fade path ran (else the steady path)
    bool startNext = false;
    bool handOver = false;  // the other deck's watcher takes over; the watched deck is halted and rewound
    bool fallBack = false;  // the watched deck 2 was found stopped: back to deck 1, fader to its end
    int watchedVolume = 0;
    int otherVolume = Params{}.silent;
    int currentDeck = 1;
    // The fader position the tick moves the fader to, or -1 to leave it.
    int faderTo = -1;
};

TickPlan Tick(const TickInput& in, const Params& fade = {});

// Switching the engine on: which deck becomes live and what happens to it.
struct ArmPlan {
    int liveDeck = 1;
    bool setVolumes = false;  // both decks play: the live one to 0, the other to -3000
    int deck1Volume = 0;
    int deck2Volume = 0;
    bool disableFader = false;  // the fader was read to choose between two playing decks
    bool watch = false;         // the live deck plays: its watcher starts and the fader moves to its end
    int faderTo = -1;
};

ArmPlan Arm(bool deck1Playing, bool deck2Playing, int faderValue, const Params& fade = {});

// The fader's volume mapping: each deck is full at its end of the fader and
// silent at the other, in even steps between.
inline int Deck1VolumeAt(int faderValue) {
    return Params{}.silent * (faderValue - kFaderDeck1) / (kFaderDeck2 - kFaderDeck1);
}
inline int Deck2VolumeAt(int faderValue) {
    return Params{}.silent * (kFaderDeck2 - faderValue) / (kFaderDeck2 - kFaderDeck1);
}

}  // namespace CrossFade

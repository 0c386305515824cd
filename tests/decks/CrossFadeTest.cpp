// The engine's decisions on their own, and the remaining-time caption.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/decks/CrossFade.h"
#include "app/decks/RemainingTime.h"

using namespace CrossFade;

// A fade twice as fast: each step doubled, the start point two steps in, the
// incoming deck three steps below full, the hand-over where it was.
const Params kFast{15, -600, -1200, -2400, 800, -3000, -3000, -6000, 500};

TEST(CrossFadeTick, OnlyTheExactStartPointStartsASong) {
    // {numbers, starting volume, cue has songs} -> tick that starts the next song (0: none),
    // tick that hands over, the incoming deck's volume after each tick from the start on
    const struct {
        Params fade;
        int from;
        bool cue;
        int startTick, handOverTick;
        std::vector<int> incoming;
    } cases[] = {
        {{}, 0, true, 5, 11, {-1600, -1200, -800, -400, 0, 0, 0}},
        {{}, -700, true, 0, 8, {}},
        {{}, -1200, true, 1, 7, {-1600, -1200, -800, -400, 0, 0, 0}},
        {{}, 0, false, 0, 11, {}},
        {kFast, 0, true, 2, 6, {-1600, -800, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fade.fadeOutStep << " from " << c.from << " cue " << c.cue);
        TickInput in{1, 1, 200, 190, c.from, -6000, c.cue, kPlaying};
        int tick = 0, started = 0;
        std::vector<int> incoming;
        TickPlan p;
        do {
            p = Tick(in, c.fade);
            ++tick;
            if (p.startNext) started = tick;
            if (started) incoming.push_back(p.otherVolume);
            in.currentDeck = p.currentDeck;
            in.watchedVolume = p.watchedVolume;
            in.otherVolume = p.otherVolume;
        } while (!p.handOver && tick < 40);
        EXPECT_EQ(
            std::make_tuple(started, tick, incoming, p.currentDeck, p.watchedVolume, p.faderTo),
            std::make_tuple(c.startTick, c.handOverTick, c.incoming, started ? 2 : 1, -6000, kFaderDeck2));
    }
}

TEST(CrossFadeTick, WhenAFadeIsDue) {
    // Other numbers: a 14 s lead, smaller steps, a quieter silent deck.
    const Params slow{14, -100, -1500, -2000, 100, -3000, -3000, -5000, 1000};
    // The watched deck at -2100 and the other at -800: a fading tick steps both.
    const struct {
        const char* what;
        Params fade;
        double duration, position;
        int currentDeck, watchedVolume, otherVolume;
    } cases[] = {
        {"more than the lead time left", {}, 180, 164.9, 1, 0, -6000},
        {"exactly the lead time left", {}, 180, 165, 1, -2400, -400},
        {"nothing open (duration 0)", {}, 0, 0, 1, -2400, -400},
        {"position past the end counts by distance", {}, 180, 200, 1, 0, -6000},
        {"far from the end, but the other deck is live", {}, 180, 10, 2, -2400, -400},
        {"15 s left at a 14 s lead", slow, 180, 165, 1, 0, -5000},
        {"a slower fade takes its own steps", slow, 180, 166, 1, -2200, -700},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TickPlan p =
            Tick({1, c.currentDeck, c.duration, c.position, -2100, -800, true, kPlaying}, c.fade);
        EXPECT_EQ(std::make_tuple(p.fading, p.watchedVolume, p.otherVolume),
                  std::make_tuple(c.watchedVolume != 0, c.watchedVolume, c.otherVolume));
    }
}

TEST(CrossFadeTick, OnlyAStoppedDeckTwoFallsBackToDeckOne) {
    const struct {
        const char* what;
        int watched, state, currentDeck, volume;
        bool fallBack;
    } cases[] = {
        {"deck 2 stopped, steady", 2, kStopped, 2, 0, true},
        {"deck 2 stopped, mid-fade", 2, kStopped, 1, -1800, true},
        {"deck 2 paused", 2, 1, 2, 0, false},
        {"deck 2 stopped, but the tick hands over", 2, kStopped, 1, -3000, false},
        {"deck 1 stopped: deck 1 is home", 1, kStopped, 1, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TickPlan p = Tick({c.watched, c.currentDeck, 180, 20, c.volume, -1200, true, c.state});
        EXPECT_EQ(p.fallBack, c.fallBack);
        if (c.fallBack) {
            EXPECT_EQ(std::make_tuple(p.watchedVolume, p.otherVolume, p.currentDeck, p.faderTo),
                      std::make_tuple(-6000, 0, 1, kFaderDeck1));
        }
    }
}

TEST(RemainingTime, RoundsHalvesToEvenAndHidesALoneSecond) {
    const std::pair<double, const char*> cases[] = {
        {125.4, "02:05"}, {119.6, "02:00"},  {61.2, "01:00"},  {1.2, "00:00"},
        {-0.7, "00:00"},  {3725, "62:05"},   {0, "00:00"},     {2.5, "00:02"},
        {3.5, "00:04"},   {89.5, "01:30"},   {150.5, "02:30"}, {-1.6, "00:-02"},
        {-61, "-01:00"},  {32767, "546:07"}, {40000, "00:00"}, {std::nan(""), "00:00"},
    };
    for (const auto& [remaining, caption] : cases)
        EXPECT_EQ(RemainingCaption(remaining), caption) << remaining;
}

// The engine's decisions on their own, and the remaining-time caption.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/decks/CrossFade.h"
#include "app/decks/RemainingTime.h"

using namespace CrossFade;

namespace {

TickInput Due(int watched, int currentDeck, int watchedVolume, int otherVolume, bool cueHasSongs = true) {
    return {watched, currentDeck, 200, 190, watchedVolume, otherVolume, cueHasSongs, kPlaying};
}

}  // namespace

TEST(CrossFadeTick, OnlyTheExactStartPointStartsASong) {
    // {starting volume, cue has songs} -> tick that starts the next song (0: none), ticks to the hand-over
    const struct {
        int from;
        bool cue;
        int startTick, handOverTick;
    } cases[] = {
        {0, true, 5, 11}, {-700, true, 0, 8}, {-1200, true, 1, 7}, {-1400, true, 0, 6}, {0, false, 0, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " cue " << c.cue);
        TickInput in = Due(1, 1, c.from, kSilent, c.cue);
        int tick = 0, started = 0;
        TickPlan p;
        do {
            p = Tick(in);
            ++tick;
            if (p.startNext) started = tick;
            in = Due(1, p.currentDeck, p.watchedVolume, p.otherVolume, c.cue);
        } while (!p.handOver && tick < 40);
        EXPECT_EQ(started, c.startTick);
        EXPECT_EQ(tick, c.handOverTick);
        EXPECT_EQ(p.currentDeck, started ? 2 : 1);
        EXPECT_EQ(p.faderTo, kFaderDeck2);
    }
}

TEST(CrossFadeTick, WhenAFadeIsDue) {
    const struct {
        const char* what;
        double duration, position;
        int currentDeck;
        bool fading;
    } cases[] = {
        {"more than the lead time left", 180, 164.9, 1, false},
        {"exactly the lead time left", 180, 165, 1, true},
        {"nothing open (duration 0)", 0, 0, 1, true},
        {"position past the end counts by distance", 180, 200, 1, false},
        {"far from the end, but the other deck is live", 180, 10, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TickPlan p = Tick({1, c.currentDeck, c.duration, c.position, -2100, -800, true, kPlaying});
        EXPECT_EQ(p.fading, c.fading);
        EXPECT_EQ(p.watchedVolume, c.fading ? -2400 : 0);
        EXPECT_EQ(p.otherVolume, c.fading ? -400 : kSilent);
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
                      std::make_tuple(kSilent, 0, 1, kFaderDeck1));
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

// The engine's decisions on their own: a fade fed back into itself tick by
// tick, the branches that decide it, and the choice of the live deck.
#include <gtest/gtest.h>

#include <vector>

#include "app/decks/CrossFade.h"
#include "app/decks/RemainingTime.h"

using namespace CrossFade;

namespace {

struct Step {
    int watchedVolume, otherVolume, currentDeck;
    bool startNext, handOver;
    bool operator==(const Step&) const = default;
};

// Ticks the watcher of `watched` with the song inside its lead time, feeding
// each tick's volumes and live deck into the next, until the hand-over.
std::vector<Step> RunFade(int watched, int fromVolume, bool cueHasSongs) {
    TickInput in;
    in.watched = watched;
    in.currentDeck = watched;
    in.duration = 200;
    in.position = 190;
    in.watchedVolume = fromVolume;
    in.otherVolume = kSilent;
    in.cueHasSongs = cueHasSongs;
    std::vector<Step> steps;
    for (int guard = 0; guard < 40; ++guard) {
        const TickPlan p = Tick(in);
        steps.push_back({p.watchedVolume, p.otherVolume, p.currentDeck, p.startNext, p.handOver});
        if (p.handOver) break;
        in.watchedVolume = p.watchedVolume;
        in.otherVolume = p.otherVolume;
        in.currentDeck = p.currentDeck;
    }
    return steps;
}

}  // namespace

TEST(CrossFadeTick, NormalFadeFollowsTheTimelineFromEitherDeck) {
    const std::vector<Step> t1 = {
        {-300, -6000, 1, false, false},  {-600, -6000, 1, false, false}, {-900, -6000, 1, false, false},
        {-1200, -6000, 1, false, false}, {-1500, -1600, 2, true, false}, {-1800, -1200, 2, false, false},
        {-2100, -800, 2, false, false},  {-2400, -400, 2, false, false}, {-2700, 0, 2, false, false},
        {-3000, 0, 2, false, false},     {-6000, 0, 2, false, true},
    };
    EXPECT_EQ(RunFade(1, 0, true), t1);
    // Deck 2's watcher is the mirror image; CurrentDeck moves to deck 1.
    std::vector<Step> t2 = t1;
    for (Step& s : t2) s.currentDeck = s.currentDeck == 1 ? 2 : 1;
    EXPECT_EQ(RunFade(2, 0, true), t2);
}

TEST(CrossFadeTick, OnlyTheExactStartPointStartsASong) {
    struct Case {
        int fromVolume;
        int startsAtTick;  // 0: never
        int ticksToHandOver;
    };
    for (const Case c :
         {Case{0, 5, 11}, Case{-700, 0, 8}, Case{-1200, 1, 7}, Case{-1400, 0, 6}, Case{-3000, 0, 1}}) {
        SCOPED_TRACE(c.fromVolume);
        const auto steps = RunFade(1, c.fromVolume, true);
        ASSERT_EQ(static_cast<int>(steps.size()), c.ticksToHandOver);
        int started = 0;
        for (size_t i = 0; i < steps.size(); ++i)
            if (steps[i].startNext) started = static_cast<int>(i) + 1;
        EXPECT_EQ(started, c.startsAtTick);
        // Without a start the live deck never moves, but the idle deck is still raised.
        if (c.startsAtTick == 0) {
            EXPECT_EQ(steps.back().currentDeck, 1);
        }
    }
}

TEST(CrossFadeTick, EmptyCueAtTheStartPointStillFadesOutAndHandsOver) {
    const auto steps = RunFade(1, 0, false);
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(steps[4], (Step{-1500, -5600, 1, false, false}));
    EXPECT_EQ(steps[9], (Step{-3000, -3600, 1, false, false}));
    EXPECT_EQ(steps[10], (Step{-6000, 0, 1, false, true}));
}

TEST(CrossFadeTick, WhenAFadeIsDue) {
    struct Case {
        const char* what;
        double duration, position;
        int currentDeck;
        bool fading;
    };
    const Case cases[] = {
        {"more than the lead time left", 180, 164.9, 1, false},
        {"exactly the lead time left", 180, 165, 1, true},
        {"nothing open (duration 0)", 0, 0, 1, true},
        {"position past the end counts by distance", 180, 200, 1, false},
        {"far before the end, but the other deck is live", 180, 10, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TickInput in;
        in.duration = c.duration;
        in.position = c.position;
        in.currentDeck = c.currentDeck;
        in.watchedVolume = -2100;
        in.otherVolume = -800;
        const TickPlan p = Tick(in);
        EXPECT_EQ(p.fading, c.fading);
        if (!c.fading) {
            // The steady path undoes any volume change made on the decks' own controls.
            EXPECT_EQ(p.watchedVolume, 0);
            EXPECT_EQ(p.otherVolume, kSilent);
            EXPECT_EQ(p.currentDeck, 1);
        }
    }
}

TEST(CrossFadeTick, OnlyAStoppedDeckTwoFallsBackToDeckOne) {
    struct Case {
        const char* what;
        int watched, state, currentDeck, watchedVolume;
        bool fallBack;
    };
    const Case cases[] = {
        {"deck 2 stopped, steady", 2, kStopped, 2, 0, true},
        {"deck 2 stopped, mid-fade", 2, kStopped, 1, -1800, true},
        {"deck 2 paused", 2, 1, 2, 0, false},
        {"deck 2 stopped, but the tick hands over", 2, kStopped, 1, -3000, false},
        {"deck 1 stopped: deck 1 is home", 1, kStopped, 1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TickInput in;
        in.watched = c.watched;
        in.currentDeck = c.currentDeck;
        in.duration = 180;
        in.position = 20;
        in.watchedVolume = c.watchedVolume;
        in.otherVolume = -1200;
        in.watchedPlayState = c.state;
        const TickPlan p = Tick(in);
        EXPECT_EQ(p.fallBack, c.fallBack);
        if (c.fallBack) {
            EXPECT_EQ(p.watchedVolume, kSilent);
            EXPECT_EQ(p.otherVolume, 0);
            EXPECT_EQ(p.currentDeck, 1);
            EXPECT_EQ(p.faderTo, kFaderDeck1);
            EXPECT_FALSE(p.handOver);
        }
    }
    // The tick after a fall-back hands over at once: -6000 falls below -3000.
    TickInput next;
    next.watched = 2;
    next.currentDeck = 1;
    next.duration = 180;
    next.position = 20;
    next.watchedVolume = kSilent;
    next.otherVolume = 0;
    next.watchedPlayState = kStopped;
    const TickPlan p = Tick(next);
    EXPECT_TRUE(p.handOver);
    EXPECT_EQ(p.faderTo, kFaderDeck1);
}

TEST(CrossFadeArm, ChoosesTheLiveDeck) {
    struct Case {
        bool p1, p2;
        int fader;
        int live;
        bool setVolumes, watch, disableFader;
        int faderTo;
    };
    const Case cases[] = {
        {true, false, 45, 1, false, true, true, 0},     {false, true, 10, 2, false, true, true, 60},
        {false, false, 50, 1, false, false, false, -1}, {true, true, 31, 2, true, true, true, 60},
        {true, true, 30, 1, true, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p1 << c.p2 << " fader " << c.fader);
        const ArmPlan p = Arm(c.p1, c.p2, c.fader);
        EXPECT_EQ(p.liveDeck, c.live);
        EXPECT_EQ(p.setVolumes, c.setVolumes);
        EXPECT_EQ(p.watch, c.watch);
        EXPECT_EQ(p.disableFader, c.disableFader);
        EXPECT_EQ(p.faderTo, c.faderTo);
        if (c.setVolumes) {
            EXPECT_EQ(p.deck1Volume, c.live == 1 ? 0 : -3000);
            EXPECT_EQ(p.deck2Volume, c.live == 2 ? 0 : -3000);
        }
    }
}

TEST(RemainingTime, RoundsHalvesToEvenAndHidesALoneSecond) {
    const std::pair<double, const char*> cases[] = {
        {125.4, "02:05"}, {119.6, "02:00"}, {61.2, "01:00"}, {1.2, "00:00"},  {-0.7, "00:00"},
        {3725, "62:05"},  {0, "00:00"},     {2.5, "00:02"},  {3.5, "00:04"},  {89.5, "01:30"},
        {150.5, "02:30"}, {-1.6, "00:-02"}, {59.4, "00:59"}, {-61, "-01:00"}, {600, "10:00"},
    };
    for (const auto& [remaining, caption] : cases)
        EXPECT_EQ(RemainingCaption(remaining), caption) << remaining;
}

TEST(RemainingTime, ValuesBeyondSixteenBitsShowZeroInsteadOfGarbage) {
    EXPECT_EQ(RemainingCaption(32767), "546:07");
    EXPECT_EQ(RemainingCaption(40000), "00:00");
    EXPECT_EQ(RemainingCaption(std::numeric_limits<double>::infinity()), "00:00");
    EXPECT_EQ(RemainingCaption(std::nan("")), "00:00");
}

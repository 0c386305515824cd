// The engine's decisions on their own, and the remaining-time caption.
#include <gtest/gtest.h>

#include <tuple>

#include "app/decks/CrossFade.h"
#include "app/decks/RemainingTime.h"

using namespace CrossFade;
constexpr int Playing = DeckPlayer::Playing, Stopped = DeckPlayer::Stopped;

TEST(CrossFadeTick, OnlyTheExactStartPointStartsASong) {
    // {starting volume, cue has songs} -> tick that starts the next song (0: none),
    // tick that hands over, the incoming deck's volume after each tick from the start on
    const struct {
        int from;
        bool cue;
        int startTick, handOverTick;
        std::vector<int> incoming;
    } cases[] = {
        {0, true, 5, 11, {-1600, -1200, -800, -400, 0, 0, 0}},
        {-700, true, 0, 8, {}},
        {0, false, 0, 11, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " cue " << c.cue);
        TickInput in{1, 1, 200, 190, c.from, -6000, c.cue, Playing};
        int tick = 0, started = 0;
        std::vector<int> incoming;
        TickPlan p;
        do {
            p = Tick(in, {});
            ++tick;
            if (p.startNext) started = tick;
            if (started) incoming.push_back(p.otherVolume);
            std::tie(in.currentDeck, in.watchedVolume, in.otherVolume) =
                std::tie(p.currentDeck, p.watchedVolume, p.otherVolume);
        } while (!p.handOver && tick < 40);
        EXPECT_EQ(
            std::make_tuple(started, tick, incoming, p.currentDeck, p.watchedVolume, p.faderTo),
            std::make_tuple(c.startTick, c.handOverTick, c.incoming, started ? 2 : 1, -6000, kFaderDeck2));
    }
}

// One tick from the watched deck's volume: whether the fade path runs, and
// the stopped deck 2 that sends the engine back to deck 1, its home deck.
TEST(CrossFadeTick, WhenAFadeIsDueAndWhenDeck2FallsBack) {
    // Other numbers: a 14 s lead, smaller steps, a quieter silent deck.
    const Params slow{14, -100, -1500, -2000, 100, -3000, -3000, -5000, 1000};
    const struct {
        const char* what;
        Params fade;
        int watched, currentDeck;
        double duration, position;
        int volume, state;
        // fading, fallBack, watched and other deck's volume, current deck, fader
        std::tuple<bool, bool, int, int, int, int> plan;
    } cases[] = {
        {"over the lead time", {}, 1, 1, 180, 164.9, -2100, Playing, {false, false, 0, -6000, 1, -1}},
        {"at the lead time", {}, 1, 1, 180, 165, -2100, Playing, {true, false, -2400, -400, 1, -1}},
        {"past the end: by distance", {}, 1, 1, 180, 200, -2100, Playing, {false, false, 0, -6000, 1, -1}},
        {"the other deck is live", {}, 1, 2, 180, 10, -2100, Playing, {true, false, -2400, -400, 2, -1}},
        {"15 s left, 14 s lead", slow, 1, 1, 180, 165, -2100, Playing, {false, false, 0, -5000, 1, -1}},
        {"slower steps", slow, 1, 1, 180, 166, -2100, Playing, {true, false, -2200, -700, 1, -1}},
        {"deck 2 stopped", {}, 2, 2, 180, 20, 0, Stopped, {false, true, -6000, 0, 1, 0}},
        {"deck 2 stopped mid-fade", {}, 2, 1, 180, 20, -1800, Stopped, {true, true, -6000, 0, 1, 0}},
        {"deck 2 paused", {}, 2, 2, 180, 20, 0, 1, {false, false, 0, -6000, 2, -1}},
        {"deck 2 stopped, handing over", {}, 2, 1, 180, 20, -3000, Stopped, {true, false, -6000, 0, 1, 0}},
        {"deck 1 stopped", {}, 1, 1, 180, 20, 0, Stopped, {false, false, 0, -6000, 1, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TickPlan p =
            Tick({c.watched, c.currentDeck, c.duration, c.position, c.volume, -800, true, c.state}, c.fade);
        EXPECT_EQ(
            std::make_tuple(p.fading, p.fallBack, p.watchedVolume, p.otherVolume, p.currentDeck, p.faderTo),
            c.plan);
    }
}

TEST(RemainingTime, RoundsHalvesToEvenAndHidesALoneSecond) {
    const std::pair<double, const char*> cases[] = {
        {119.6, "02:00"}, {-0.7, "00:00"},   {2.5, "00:02"},   {-1.6, "00:-02"},
        {-61, "-01:00"},  {32767, "546:07"}, {40000, "00:00"}, {std::nan(""), "00:00"},
    };
    for (const auto& [remaining, caption] : cases)
        EXPECT_EQ(RemainingCaption(remaining), caption) << remaining;
}

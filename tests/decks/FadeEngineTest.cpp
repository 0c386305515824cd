// The cross-fade engine on the main window, over fake decks, tick by tick.
#include "DeckFixture.h"

namespace {

struct State {
    int d1, d2, currentDeck;
    bool t1, t2;
    int fader;
    bool faderEnabled;
    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& o, const State& s) {
    return o << "{" << s.d1 << ", " << s.d2 << ", deck " << s.currentDeck << ", T1 " << s.t1 << ", T2 "
             << s.t2 << ", fader " << s.fader << (s.faderEnabled ? " enabled}" : " disabled}");
}

}  // namespace

class FadeEngine : public DeckFixture {
  protected:
    State state() const {
        return {d1()->Volume(),    d2()->Volume(),    Module1::CurrentDeck, f->T1->isActive(),
                f->T2->isActive(), f->Fader->value(), f->Fader->isEnabled()};
    }
    // The DJ arms the engine with nothing playing, then plays the cue.
    void startWithEngine(const QStringList& songs) {
        cue(songs);
        checkAutoFade(true);
        f->Command2_Click();
    }
};

TEST_F(FadeEngine, AfterAnEmptyCueFadedOutTheIdleDeckHandsBack) {
    FakeDeckPlayer::durations()[file("A.mp3")] = 100;
    startWithEngine({"A.mp3"});
    d1()->advance(85.5);
    for (int tick = 1; tick <= 11; ++tick) second();
    EXPECT_EQ(state(), (State{-6000, 0, 1, false, true, 60, false}));
    second();  // deck 2 holds nothing: back to deck 1, the next tick on its watcher
    EXPECT_EQ(state(), (State{0, -6000, 1, false, true, 0, false}));
}

TEST_F(FadeEngine, SwitchingOnChoosesTheLiveDeckAndOffHandsTheFaderBack) {
    const struct {
        bool deck1, deck2;
        int fader;
        State after;
    } cases[] = {
        {true, true, 31, {-3000, 0, 2, false, true, 60, false}},
        {true, true, 30, {0, -3000, 1, true, false, 0, false}},
        {true, false, 45, {-4500, -1500, 1, true, false, 0, false}},
        {false, true, 10, {-1000, -5000, 2, false, true, 60, false}},
        {false, false, 45, {-4500, -1500, 1, false, false, 45, true}},  // armed, idle
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.deck1 << c.deck2 << " fader " << c.fader);
        checkAutoFade(false);
        cue({"A.mp3", "B.mp3"});
        f->cmdLD1_Click();
        f->cmdLD2_Click();
        if (c.deck1) d1()->Play();
        if (c.deck2) d2()->Play();
        f->Fader->setValue(c.fader);
        f->Fader_Click();
        Module1::CurrentDeck = c.deck2 ? 1 : 2;
        checkAutoFade(true);
        EXPECT_EQ(state(), c.after);
        d1()->Stop();
        d2()->Stop();
    }
    checkAutoFade(false);
    EXPECT_EQ(state(), (State{-4500, -1500, 1, false, false, 45, true}));
}

TEST_F(FadeEngine, FaderAndEndButtonsAreTheUsersOnlyWithTheEngineOff) {
    f->Fader->setValue(45);
    f->Fader_Click();
    EXPECT_EQ(state(), (State{-4500, -1500, 1, false, false, 45, true}));
    f->Command6_Click();
    EXPECT_EQ(state(), (State{-6000, 0, 2, false, false, 60, true}));
    f->Command5_Click();
    EXPECT_EQ(state(), (State{0, -6000, 1, false, false, 0, true}));

    f->Fader->setValue(20);
    f->Fader_Click();
    checkAutoFade(true);
    f->Command6_Click();
    Module1::CurrentDeck = 2;
    f->Command5_Click();
    EXPECT_EQ(state(), (State{-2000, -4000, 2, false, false, 20, true}));
}

TEST_F(FadeEngine, Deck2StartedByHandAtTheFaderEndIsWatched) {
    for (const auto& [fader, engine, watched] :
         {std::tuple{60, true, true}, {59, true, false}, {60, false, false}}) {
        SCOPED_TRACE(testing::Message() << fader << " " << engine);
        checkAutoFade(false);
        cue({"B.mp3"});
        f->cmdLD2_Click();
        f->Fader->setValue(fader);
        checkAutoFade(engine);
        f->T1->start();
        d2()->Play();
        EXPECT_EQ(f->T2->isActive(), watched);
        EXPECT_EQ(f->T1->isActive(), !watched);
        f->T2->stop();
        d2()->Pause();  // a change of state, but not a start
        EXPECT_FALSE(f->T2->isActive());
        d2()->Stop();
    }
}

// The tick decisions are CrossFadeTick's; here the window applies them, on a
// fade of its own numbers, from a Fade Now over the engine switched off: the
// volumes, the next song onto the other deck at the start point, the hand-over.
TEST_F(FadeEngine, FadeNowRunsTheTimelineAtOnceAndTheDecksSwapRoles) {
    f->SetFade({15, -600, -1200, -2400, 800, -3000, -2000, -5000, 500});
    f->FadeNow();  // nothing plays: the engine is armed, nothing fades
    EXPECT_EQ(state(), (State{0, -3000, 1, false, false, 0, true}));
    cue({"A.mp3", "B.mp3", "C.mp3"});
    f->Command2_Click();
    d1()->SetVolume(-900);  // a change on the deck's own control is undone by a steady tick
    f->T1_Timer();
    EXPECT_EQ(std::make_tuple(state(), f->T1->interval(), f->T2->interval()),
              std::make_tuple(State{0, -5000, 1, true, false, 0, true}, 500, 500));
    checkAutoFade(false);
    f->FadeNow();  // switches the engine on and takes the first step; a second press changes nothing
    f->FadeNow();
    EXPECT_EQ(state(), (State{-600, -5000, 1, true, false, 0, false}));
    second();  // the start point
    EXPECT_EQ(state(), (State{-1200, -1600, 2, true, false, 0, false}));
    EXPECT_EQ(std::make_tuple(d2()->opened, f->lblD2->text(), CueCountLabel()),
              std::make_tuple(QStringList{file("B.mp3")}, QString("B.mp3"), QString("Songs in cue:1")));
    EXPECT_EQ(BackupRows(), CueRows());
    for (int tick = 3; tick <= 6; ++tick) second();
    EXPECT_EQ(state(), (State{-5000, 0, 2, false, true, 60, false}));
    EXPECT_EQ(std::make_tuple(d1()->PlayState(), d1()->CurrentPosition()),
              std::make_tuple(int(DeckPlayer::Paused), 0.0));
    second();  // B plays out its own time
    EXPECT_EQ(d2()->Volume(), 0);
}

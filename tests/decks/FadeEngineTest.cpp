// The cross-fade engine on the main window, over fake decks, tick by tick.
#include "DeckFixture.h"

namespace {

struct Expect {
    int d1, d2, currentDeck;
    bool t1, t2;
    int fader;
    bool faderEnabled;
    int cue;  // -1: not refreshed
};

}  // namespace

class FadeEngine : public DeckFixture {
  protected:
    void check(const Expect& e) {
        EXPECT_EQ(d1()->Volume(), e.d1);
        EXPECT_EQ(d2()->Volume(), e.d2);
        EXPECT_EQ(Module1::CurrentDeck, e.currentDeck);
        EXPECT_EQ(f.T1->isActive(), e.t1);
        EXPECT_EQ(f.T2->isActive(), e.t2);
        EXPECT_EQ(f.Fader->value(), e.fader);
        EXPECT_EQ(f.Fader->isEnabled(), e.faderEnabled);
        if (e.cue >= 0) {
            EXPECT_EQ(f.lblPlaySongs->text(), QString("Songs in cue:%1").arg(e.cue));
        }
    }
    // Plays the cue with the engine armed while nothing plays, as a DJ would start.
    void startWithEngine(const QStringList& songs) {
        cue(songs);
        checkAutoFade(true);
        f.Command2_Click();
    }
};

TEST_F(FadeEngine, NormalFadeFollowsTheTimelineAndTheDecksSwapRoles) {
    FakeDeckPlayer::durations()[file("A.mp3")] = 180;
    FakeDeckPlayer::durations()[file("B.mp3")] = 200;
    startWithEngine({"A.mp3", "B.mp3", "C.mp3"});
    d1()->advance(164.5);
    d1()->SetVolume(-900);  // turned down on the deck's own control
    f.T1_Timer();
    check({0, -6000, 1, true, false, 0, true, 2});

    const Expect timeline[] = {
        {-300, -6000, 1, true, false, 0, true, 2},  {-600, -6000, 1, true, false, 0, true, 2},
        {-900, -6000, 1, true, false, 0, true, 2},  {-1200, -6000, 1, true, false, 0, true, 2},
        {-1500, -1600, 2, true, false, 0, true, 1}, {-1800, -1200, 2, true, false, 0, true, 1},
        {-2100, -800, 2, true, false, 0, true, 1},  {-2400, -400, 2, true, false, 0, true, 1},
        {-2700, 0, 2, true, false, 0, true, 1},     {-3000, 0, 2, true, false, 0, true, 1},
        {-6000, 0, 2, false, true, 60, false, 1},
    };
    int tick = 0;
    for (const Expect& e : timeline) {
        SCOPED_TRACE(testing::Message() << "tick " << ++tick);
        if (tick == 5) {
            EXPECT_EQ(backupNames(), QStringList({"B.mp3", "C.mp3"}));
        }
        second();
        check(e);
        EXPECT_EQ(d2()->opened, tick < 5 ? QStringList() : QStringList{file("B.mp3")});
    }
    EXPECT_EQ(backupNames(), QStringList{"C.mp3"});
    EXPECT_EQ(f.lblD2->text(), "B.mp3");
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Paused);
    EXPECT_EQ(d1()->CurrentPosition(), 0);
    EXPECT_EQ(d2()->CurrentPosition(), 6);

    // Deck 2 now watched: steady until its own fade, which brings C onto deck 1.
    double lead = -1;
    for (int guard = 0; !f.T1->isActive() && guard < 400; ++guard) {
        second();
        if (d1()->opened.size() == 2 && lead < 0) lead = d2()->Duration() - d2()->CurrentPosition();
    }
    EXPECT_EQ(lead, 11);
    EXPECT_EQ(d1()->opened, QStringList({file("A.mp3"), file("C.mp3")}));
    EXPECT_EQ(f.lblD1->text(), "C.mp3");
    EXPECT_EQ(d2()->PlayState(), DeckPlayer::Paused);
    check({0, -6000, 1, true, false, 0, false, 0});
}

TEST_F(FadeEngine, ADeckWithoutDurationFadesAtOnce) {
    FakeDeckPlayer::durations()[file("A.mp3")] = 0;
    startWithEngine({"A.mp3", "B.mp3"});
    for (int tick = 1; tick <= 5; ++tick) f.T1_Timer();
    EXPECT_EQ(d1()->Volume(), -1500);
    EXPECT_EQ(d2()->opened, QStringList{file("B.mp3")});
}

TEST_F(FadeEngine, FadeFromAManualPositionOffTheGridStartsNothingButStillHandsOver) {
    cue({"A.mp3", "B.mp3"});
    f.Command2_Click();
    d1()->advance(170);
    f.Fader->setValue(7);
    f.Fader_Click();
    ASSERT_EQ(d1()->Volume(), -700);
    checkAutoFade(true);
    check({-700, -5300, 1, true, false, 0, false, 1});

    for (int tick = 1; tick <= 7; ++tick) second();
    check({-2800, -3300, 1, true, false, 0, false, 1});
    second();
    check({-6000, 0, 1, false, true, 60, false, 1});
    EXPECT_TRUE(d2()->opened.isEmpty());
    EXPECT_EQ(cueNames(), QStringList{"B.mp3"});
}

TEST_F(FadeEngine, EmptyCueAtTheStartPointFadesOutThenHandsBackFromTheIdleDeck) {
    FakeDeckPlayer::durations()[file("A.mp3")] = 100;
    startWithEngine({"A.mp3"});
    writeBackup("untouched");
    d1()->advance(85.5);
    for (int tick = 1; tick <= 5; ++tick) second();
    check({-1500, -5600, 1, true, false, 0, true, 0});
    for (int tick = 6; tick <= 11; ++tick) second();
    check({-6000, 0, 1, false, true, 60, false, 0});
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Paused);

    // Deck 2 holds nothing (stopped): the stopped check falls back to deck 1 at once...
    second();
    check({0, -6000, 1, false, true, 0, false, 0});
    // ...the next tick hands the watch back, and deck 1 (halted, rewound) then ticks steadily.
    second();
    check({0, -6000, 1, true, false, 0, false, 0});
    for (int tick = 0; tick < 5; ++tick) second();
    check({0, -6000, 1, true, false, 0, false, 0});
    EXPECT_TRUE(d2()->opened.isEmpty());
    EXPECT_EQ(d1()->opened.size(), 1);
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Paused);
    EXPECT_EQ(backupBytes(), "untouched");
}

TEST_F(FadeEngine, ASongThatWillNotOpenAtTheStartPointIsPassedOver) {
    FakeDeckPlayer::unplayable() << file("B.mp3");
    FakeDeckPlayer::durations()[file("A.mp3")] = 100;
    startWithEngine({"A.mp3", "B.mp3", "C.mp3"});
    d1()->advance(85.5);
    for (int tick = 1; tick <= 5; ++tick) second();
    EXPECT_EQ(d2()->calls, QStringList({"open", "play"}));
    EXPECT_EQ(f.lblD2->text(), "B.mp3");
    EXPECT_EQ(cueNames(), QStringList{"C.mp3"});
    check({-1500, -1600, 2, true, false, 0, true, 1});
    for (int tick = 6; tick <= 11; ++tick) second();
    EXPECT_TRUE(f.T2->isActive());
}

TEST_F(FadeEngine, Deck2StoppedByTheUserFallsBackToDeck1) {
    cue({"B.mp3"});
    f.cmdLD2_Click();
    d2()->Play();
    checkAutoFade(true);
    check({0, -3000, 2, false, true, 60, false, 0});
    second();
    check({-6000, 0, 2, false, true, 60, false, 0});

    d2()->Stop();
    second();
    check({0, -6000, 1, false, true, 0, false, 0});
    second();
    check({0, -6000, 1, true, false, 0, false, 0});
}

TEST_F(FadeEngine, SwitchingOnChoosesTheLiveDeck) {
    struct Case {
        bool deck1, deck2;
        int fader;
        Expect after;
    };
    const Case cases[] = {
        {true, true, 31, {-3000, 0, 2, false, true, 60, false, 0}},
        {true, true, 30, {0, -3000, 1, true, false, 0, false, 0}},
        {true, false, 45, {-4500, -1500, 1, true, false, 0, false, 0}},
        {false, true, 10, {-1000, -5000, 2, false, true, 60, false, 0}},
        // Nothing plays: armed but idle, and the fader stays where the user left it.
        {false, false, 45, {-4500, -1500, 1, false, false, 45, true, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.deck1 << c.deck2 << " fader " << c.fader);
        checkAutoFade(false);
        cue({"A.mp3", "B.mp3"});
        f.cmdLD1_Click();
        f.cmdLD2_Click();
        if (c.deck1) d1()->Play();
        if (c.deck2) d2()->Play();
        f.Fader->setValue(c.fader);
        f.Fader_Click();
        Module1::CurrentDeck = c.deck2 ? 1 : 2;
        checkAutoFade(true);
        check(c.after);
        d1()->Stop();
        d2()->Stop();
    }
    // Switching off hands the fader back and keeps the volumes.
    checkAutoFade(false);
    EXPECT_FALSE(f.T1->isActive() || f.T2->isActive());
    EXPECT_TRUE(f.Fader->isEnabled());
    EXPECT_EQ(d1()->Volume(), -4500);
}

TEST_F(FadeEngine, EndButtonsMoveTheFaderOnlyWithTheEngineOff) {
    f.Fader->setValue(45);
    f.Fader_Click();
    EXPECT_EQ(d1()->Volume(), -4500);
    EXPECT_EQ(d2()->Volume(), -1500);

    f.Command6_Click();
    check({-6000, 0, 2, false, false, 60, true, -1});
    f.Command5_Click();
    check({0, -6000, 1, false, false, 0, true, -1});

    f.Fader->setValue(20);
    f.Fader_Click();
    checkAutoFade(true);  // nothing plays: armed, fader still the user's
    f.Command6_Click();
    check({-2000, -4000, 1, false, false, 20, true, -1});
    Module1::CurrentDeck = 2;
    f.Command5_Click();
    check({-2000, -4000, 2, false, false, 20, true, -1});
}

TEST_F(FadeEngine, Deck2StartedByHandAtTheFaderEndIsWatched) {
    struct Case {
        int fader;
        bool engine;
        bool watched;
    };
    for (const Case c : {Case{60, true, true}, Case{59, true, false}, Case{60, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.fader << " " << c.engine);
        checkAutoFade(false);
        cue({"B.mp3"});
        f.cmdLD2_Click();
        f.Fader->setValue(c.fader);
        checkAutoFade(c.engine);
        f.T1->start();  // pretend deck 1 was watched
        d2()->Play();
        EXPECT_EQ(f.T2->isActive(), c.watched);
        EXPECT_EQ(f.T1->isActive(), !c.watched);
        // Pausing deck 2 is a change of state too, but not a start.
        f.T2->stop();
        d2()->Pause();
        EXPECT_FALSE(f.T2->isActive());
        d2()->Stop();
        f.T1->stop();
    }
}

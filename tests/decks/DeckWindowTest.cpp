// The decks and the cross-fade engine on the main window, over fake decks,
// tick by tick: songs onto the decks, the engine switched on and off, the
// fader and its end buttons, a fade run through to the hand-over, and a
// night of fades through a cue edited as it plays.
#include <QApplication>
#include <QMouseEvent>
#include <random>
#include <tuple>

#include "support/CueFixture.h"

// The volumes of deck 1 and 2, the live deck, whether T1 and T2 run, the fader's value and whether it is
// enabled.
using State = std::tuple<int, int, int, bool, bool, int, bool>;

// A fresh start leaves deck 1 live at full volume, deck 2 at -3000, the fader at deck 1's end.
class DeckWindow : public CueTest {
  protected:
    void checkAutoFade(bool on) {
        f->chkAutoFade->setChecked(on);
        f->chkAutoFade_Click();
    }
    // A second goes by on both decks, then the enabled watcher ticks.
    void second() {
        d1()->advance(1);
        d2()->advance(1);
        if (f->T1->isActive())
            f->T1_Timer();
        else if (f->T2->isActive())
            f->T2_Timer();
    }
    FakeDeckPlayer* d1() const { return FakeDeckPlayer::deckNo(1); }
    FakeDeckPlayer* d2() const { return FakeDeckPlayer::deckNo(2); }
    State state() const {
        return {d1()->Volume(),    d2()->Volume(),    Module1::CurrentDeck, f->T1->isActive(),
                f->T2->isActive(), f->Fader->value(), f->Fader->isEnabled()};
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), QPointF(f->Fader->mapToGlobal(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(f->Fader, &e);
    }
    bool applied(int v) const { return d1()->Volume() == -100 * v && d2()->Volume() == 100 * v - 6000; }
};

TEST_F(DeckWindow, PlayCompiledListStartsDeck1WhichMovesOnByItselfAndLoadingFollows) {
    // An empty cue: the message, nothing loads, and the deck that plays goes on (60 dB down).
    d2()->setState(DeckPlayer::Playing);
    f->Command2_Click();
    f->cmdLD1_Click();
    f->cmdLD2_Click();
    ASSERT_EQ(app.ui.messages.size(), 1);
    const Seams::Message& m = app.ui.messages.first();
    EXPECT_EQ(std::make_tuple(m.text, d1()->opened + d2()->opened, d2()->PlayState()),
              std::make_tuple(QString("No songs found in list ?"), QStringList(), int(DeckPlayer::Playing)));
    fill(f->lstPlaylist, {"A.mp3", "C.mp3", "D.mp3"});
    Module1::CurrentDeck = 2;
    f->Fader->setValue(40);
    f->T2->start();
    f->Command2_Click();
    EXPECT_EQ(state(), (State{0, -6000, 1, false, false, 0, true}));  // auto fade off: no watcher
    EXPECT_EQ(std::make_tuple(d1()->opened, d1()->PlayState(), d2()->PlayState(), cue(), CueCountLabel()),
              std::make_tuple(QStringList{"/m/A.mp3"}, int(DeckPlayer::Playing), int(DeckPlayer::Playing),
                              QStringList({"C.mp3", "D.mp3"}), QString("Songs in cue:2")));
    EXPECT_EQ(BackupRows(), CueRows());
    d1()->advance(54.6);  // each time label reads its own deck
    f->Timer1_Timer();
    f->Timer2_Timer();
    EXPECT_EQ(std::make_tuple(f->lblD1->text(), f->lblt1->text(), f->lblt2->text()),
              std::make_tuple(QString("A.mp3"), QString("02:05"), QString("00:00")));
    // With auto fade off deck 1 moves on by itself, without rewriting the
    // auto-recover file at once; deck 2 ending changes nothing.
    const QByteArray written = backup();
    d2()->advance(1);
    d1()->advance(126);
    EXPECT_EQ(std::make_tuple(d1()->opened.last(), d1()->PlayState(), f->lblD1->text(), f->lbldisplay->text(),
                              CueCountLabel(), cue()),
              std::make_tuple(QString("/m/C.mp3"), int(DeckPlayer::Playing), QString("C.mp3"),
                              QString("C.mp3"), QString("Songs in cue:1"), QStringList{"D.mp3"}));
    EXPECT_EQ(backup(), written);

    f->chkAutoFade->setChecked(true);
    d1()->advance(180);  // with auto fade on but no watcher, nothing moves on (see the decks opened below)
    f->T2->start();
    f->Command2_Click();
    // Loading a deck by hand is blocked only by its own watcher, with auto fade.
    fill(f->lstPlaylist, {"E.mp3", "F.mp3", "G.mp3"});
    d1()->SetVolume(-300);
    f->cmdLD1_Click();
    f->cmdLD2_Click();
    EXPECT_EQ(
        std::make_tuple(d1()->opened, d2()->opened, d2()->PlayState(), f->lblD2->text(), CueCountLabel()),
        std::make_tuple(QStringList{"/m/A.mp3", "/m/C.mp3", "/m/D.mp3"}, QStringList{"/m/E.mp3"},
                        int(DeckPlayer::Stopped), QString("E.mp3"), QString("Songs in cue:2")));
    EXPECT_EQ(BackupRows(), CueRows());
    // Deck 1 and the engine are untouched.
    EXPECT_EQ(std::make_tuple(d1()->PlayState(), state()),
              std::make_tuple(int(DeckPlayer::Playing), State{-300, -6000, 1, true, false, 0, true}));
    f->chkAutoFade->setChecked(false);
    f->cmdLD1_Click();
    EXPECT_EQ(std::make_tuple(d1()->opened.last(), d1()->PlayState()),
              std::make_tuple(QString("/m/F.mp3"), int(DeckPlayer::Stopped)));
}

TEST_F(DeckWindow, SwitchingOnChoosesTheLiveDeckAndOffHandsTheFaderBack) {
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
        d1()->setState(c.deck1 ? DeckPlayer::Playing : DeckPlayer::Stopped);
        d2()->setState(c.deck2 ? DeckPlayer::Playing : DeckPlayer::Stopped);
        f->Fader->setValue(c.fader);
        f->Fader_Click();
        Module1::CurrentDeck = c.deck2 ? 1 : 2;
        checkAutoFade(true);
        EXPECT_EQ(state(), c.after);
    }
    checkAutoFade(false);
    EXPECT_EQ(state(), (State{-4500, -1500, 1, false, false, 45, true}));
}

// The fader acts when the user lets go of it, however it was moved; the end
// buttons move it. Neither is the user's while the engine holds the decks.
TEST_F(DeckWindow, FaderAndEndButtonsAreTheUsersOnlyWithTheEngineOff) {
    // A click on the groove pages the fader on the press; it acts on the release.
    const QPoint groove(f->Fader->width() - 4, f->Fader->height() / 2);
    mouse(QEvent::MouseButtonPress, groove, Qt::LeftButton);
    const int paged = f->Fader->value();
    EXPECT_GT(paged, 0);
    EXPECT_EQ(d1()->Volume(), 0);
    mouse(QEvent::MouseButtonRelease, groove, Qt::NoButton);
    EXPECT_TRUE(applied(paged));
    f->Fader->setSliderDown(true);  // the thumb grabbed and dragged
    f->Fader->setSliderPosition(30);
    EXPECT_TRUE(applied(paged));
    f->Fader->setSliderDown(false);
    EXPECT_TRUE(applied(30));
    for (auto [type, at] : {std::pair{QEvent::KeyPress, 30}, {QEvent::KeyRelease, 29}}) {
        QKeyEvent e(type, Qt::Key_Left, Qt::NoModifier);
        QApplication::sendEvent(f->Fader, &e);
        EXPECT_TRUE(applied(at)) << "key " << type;
    }
    f->Command6_Click();
    EXPECT_EQ(state(), (State{-6000, 0, 2, false, false, 60, true}));
    f->Command5_Click();
    EXPECT_EQ(state(), (State{0, -6000, 1, false, false, 0, true}));

    fill(f->lstPlaylist, {"A.mp3"});
    f->Command2_Click();
    checkAutoFade(true);
    d1()->SetVolume(-1234);
    mouse(QEvent::MouseButtonPress, groove, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, groove, Qt::NoButton);
    f->Command6_Click();
    Module1::CurrentDeck = 2;
    f->Command5_Click();
    EXPECT_EQ(state(), (State{-1234, -6000, 2, true, false, 0, false}));
}

TEST_F(DeckWindow, Deck2StartedByHandAtTheFaderEndIsWatched) {
    for (const auto& [fader, engine, watched] :
         {std::tuple{60, true, true}, {59, true, false}, {60, false, false}}) {
        SCOPED_TRACE(testing::Message() << fader << " " << engine);
        checkAutoFade(false);
        f->Fader->setValue(fader);
        checkAutoFade(engine);
        f->T1->start();
        d2()->setState(DeckPlayer::Playing);
        EXPECT_EQ(std::make_tuple(f->T1->isActive(), f->T2->isActive()), std::make_tuple(!watched, watched));
        f->T2->stop();
        d2()->setState(DeckPlayer::Paused);  // a change of state, but not a start
        EXPECT_FALSE(f->T2->isActive());
        d2()->setState(DeckPlayer::Stopped);
    }
}

// The tick decisions are CrossFadeTick's; here the window applies them, on a
// fade of its own numbers, from a Fade Now over the engine switched off: the
// volumes, the next song onto the other deck at the start point, the hand-over,
// and the fall-back to deck 1 once deck 2 stops.
TEST_F(DeckWindow, FadeNowRunsTheTimelineAtOnceAndTheDecksSwapRoles) {
    f->SetFade({15, -600, -1200, -2400, 800, -3000, -2000, -5000, 500});
    f->FadeNow();  // nothing plays: the engine is armed, nothing fades
    EXPECT_EQ(state(), (State{0, -3000, 1, false, false, 0, true}));
    fill(f->lstPlaylist, {"A.mp3", "B.mp3", "C.mp3"});
    f->Command2_Click();
    d1()->SetVolume(-900);  // a change on the deck's own control is undone by a steady tick
    f->T1_Timer();
    EXPECT_EQ(state(), (State{0, -5000, 1, true, false, 0, true}));
    checkAutoFade(false);
    f->FadeNow();  // switches the engine on and takes the first step; a second press changes nothing
    f->FadeNow();
    EXPECT_EQ(state(), (State{-600, -5000, 1, true, false, 0, false}));
    second();  // the start point
    EXPECT_EQ(state(), (State{-1200, -1600, 2, true, false, 0, false}));
    EXPECT_EQ(std::make_tuple(d2()->opened, f->lblD2->text(), CueCountLabel()),
              std::make_tuple(QStringList{"/m/B.mp3"}, QString("B.mp3"), QString("Songs in cue:1")));
    EXPECT_EQ(BackupRows(), CueRows());
    for (int tick = 3; tick <= 6; ++tick) second();
    EXPECT_EQ(state(), (State{-5000, 0, 2, false, true, 60, false}));
    EXPECT_EQ(std::make_tuple(d1()->PlayState(), d1()->CurrentPosition()),
              std::make_tuple(int(DeckPlayer::Paused), 0.0));
    d2()->Stop();
    second();
    EXPECT_EQ(state(), (State{0, -5000, 1, false, true, 0, false}));
}

// A night compressed into a fraction of a second: auto fade plays through a
// cue on scripted decks while the cue is edited between ticks (moves, deletes,
// additions at the end). The show must go on: songs play in the order the
// cue holds them when their turn comes, each once, and some deck is always
// playing while songs wait. Long runs are the benchmarks'.
TEST_F(DeckWindow, SoakAutoFadeThroughAnEditedCue) {
    constexpr int kSongs = 60;
    std::mt19937 rng(20261206);
    // Some songs end before their fade would start the next one.
    const auto song = [&](const QString& name) {
        FakeDeckPlayer::durations()["/m/" + name] = 2 + int(rng() % 39);
        return name;
    };
    QStringList names;
    for (int i = 1; i <= kSongs; ++i) names << song(QString("s%1.mp3").arg(i));
    fill(f->lstPlaylist, names);
    // The test drives every tick; the real timers must never add one.
    for (QTimer* t : {f->T1, f->T2}) t->setInterval(24 * 3600 * 1000);
    f->chkAutoFade->click();
    f->Command2_Click();
    const auto playing = [&] {
        return d1()->PlayState() == DeckPlayer::Playing || d2()->PlayState() == DeckPlayer::Playing;
    };
    int started = 1, added = 0, deleted = 0;
    for (int tick = 1; !cue().isEmpty() && tick < 20000 && !HasFatalFailure(); ++tick) {
        // One second of music and one engine tick: a song that starts is the one
        // on top, and the only change the tick makes to the cue is taking it off.
        // A deck that opened its previous song again would start a song not next.
        const QStringList before = cue();
        const qsizetype opened1 = d1()->opened.size(), opened2 = d2()->opened.size();
        second();
        const QStringList now = d1()->opened.mid(opened1) + d2()->opened.mid(opened2);
        ASSERT_EQ(cue(), now.isEmpty() ? before : before.mid(1)) << "tick " << tick;
        EXPECT_TRUE(cue().isEmpty() || playing()) << "both decks silent while songs wait, tick " << tick;
        if (!now.isEmpty()) {
            ASSERT_EQ(now, QStringList{"/m/" + before.value(0)})
                << "tick " << tick << " started songs not next";
            ++started;
        }
        if (tick % 10) continue;
        // One edit of the cue, as a DJ makes them while the show runs.
        ListView* list = f->lstPlaylist;
        list->ClearSelection();
        const int n = list->Count(), what = int(rng() % 20), k = 1 + int(rng() % unsigned(std::max(n, 1)));
        if (what < 8 && n >= 2) {  // nudge a song up or down (wrapping at the ends)
            list->SetSelectedItem(k);
            what % 2 ? f->cmdUP_Click() : f->cmdDown_Click();
        } else if (what < 15 && n >= 1) {  // delete a song
            list->SetSelected(k, true);
            f->cmdCS_Click();
            deleted += n - list->Count();
        } else {  // a new song from the results at the end
            fill(f->lstresults, {song(QString("x%1.mp3").arg(++added))});
            f->Command7_Click();
        }
    }
    EXPECT_TRUE(cue().isEmpty()) << "the cue never ran out";
    // Every song that was in the cue either played or was deleted.
    EXPECT_EQ(started, kSongs + added - deleted);
    // The last song is still on air after the cue ran out.
    EXPECT_TRUE(playing());
    FakeDeckPlayer::durations().clear();
}

// Songs onto the decks: playing the compiled list, loading by hand, deck 1
// moving on by itself, and the remaining-time labels.
#include "DeckFixture.h"

class DeckPlayback : public DeckFixture {};

TEST_F(DeckPlayback, PlayCompiledListStartsTheTopSongOnDeck1) {
    cue({"B.mp3"});
    f.cmdLD2_Click();
    d2()->Play();  // a song already playing on deck 2 goes on, 60 dB down
    cue({"A.mp3", "C.mp3", "D.mp3"});
    Module1::CurrentDeck = 2;
    f.Fader->setValue(40);

    f.Command2_Click();
    EXPECT_EQ(d1()->opened, QStringList{file("A.mp3")});
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(f.lblD1->text(), "A.mp3");
    EXPECT_EQ(cueNames(), QStringList({"C.mp3", "D.mp3"}));
    EXPECT_EQ(f.lblPlaySongs->text(), "Songs in cue:2");
    EXPECT_EQ(backupNames(), QStringList({"C.mp3", "D.mp3"}));
    EXPECT_EQ(Module1::CurrentDeck, 1);
    EXPECT_EQ(d1()->Volume(), 0);
    EXPECT_EQ(d2()->Volume(), -6000);
    EXPECT_EQ(d2()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(f.Fader->value(), 0);
}

TEST_F(DeckPlayback, PlayCompiledListStartsTheWatcherOfDeck1OnlyWithAutoFade) {
    for (const bool autoFade : {true, false}) {
        SCOPED_TRACE(autoFade);
        cue({"A.mp3"});
        f.chkAutoFade->setChecked(autoFade);
        f.T1->stop();
        f.T2->start();
        f.Command2_Click();
        EXPECT_EQ(f.T1->isActive(), autoFade);
        EXPECT_FALSE(f.T2->isActive());
    }
}

TEST_F(DeckPlayback, PlayCompiledListWithAnEmptyCueOnlyTellsTheUser) {
    f.chkAutoFade->setChecked(true);
    f.Command2_Click();
    ASSERT_EQ(app.ui.messages.size(), 1);
    const Seams::Message& m = app.ui.messages.first();
    EXPECT_EQ(m.text, "No songs found in list ?");
    EXPECT_EQ(m.icon, Seams::Icon::Information);
    EXPECT_EQ(m.buttons, Seams::Buttons::OK);
    EXPECT_EQ(m.title, "Velumix");
    EXPECT_FALSE(f.T1->isActive());
    EXPECT_TRUE(d1()->calls.isEmpty());
}

TEST_F(DeckPlayback, ASongThatWillNotOpenStillLeavesTheCue) {
    FakeDeckPlayer::unplayable() << file("A.mp3");
    cue({"A.mp3", "B.mp3"});
    f.Command2_Click();
    EXPECT_EQ(f.lblD1->text(), "A.mp3");
    EXPECT_EQ(cueNames(), QStringList{"B.mp3"});
    EXPECT_TRUE(d1()->opened.isEmpty());
}

TEST_F(DeckPlayback, LoadingADeckIsBlockedOnlyByItsOwnWatcher) {
    cue({"A.mp3", "B.mp3", "C.mp3"});
    checkAutoFade(true);
    f.Command2_Click();
    ASSERT_TRUE(f.T1->isActive());
    d1()->SetVolume(-300);

    f.cmdLD1_Click();
    EXPECT_EQ(d1()->opened, QStringList{file("A.mp3")});
    EXPECT_EQ(cueNames(), QStringList({"B.mp3", "C.mp3"}));

    f.cmdLD2_Click();
    EXPECT_EQ(d2()->opened, QStringList{file("B.mp3")});
    EXPECT_EQ(d2()->PlayState(), DeckPlayer::Stopped);
    EXPECT_EQ(f.lblD2->text(), "B.mp3");
    EXPECT_EQ(cueNames(), QStringList{"C.mp3"});
    EXPECT_EQ(f.lblPlaySongs->text(), "Songs in cue:1");
    EXPECT_EQ(backupNames(), QStringList{"C.mp3"});
    // Deck 1 and the engine are untouched.
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(d1()->Volume(), -300);
    EXPECT_EQ(d2()->Volume(), -6000);
    EXPECT_EQ(Module1::CurrentDeck, 1);
    EXPECT_TRUE(f.T1->isActive());
}

TEST_F(DeckPlayback, LoadingADeckByHand) {
    struct Case {
        int deck;
        bool autoFade, watcherRuns, loads;
    };
    const Case cases[] = {
        {1, false, true, true},  // the watcher alone does not block without auto fade
        {1, true, false, true},  // armed but idle
        {2, true, true, false},  // deck 2 watched
        {2, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "deck " << c.deck << " " << c.autoFade << c.watcherRuns);
        f.lstPlaylist->Clear();
        cue({"X.mp3"});
        f.chkAutoFade->setChecked(c.autoFade);
        QTimer* watcher = c.deck == 1 ? f.T1 : f.T2;
        if (c.watcherRuns)
            watcher->start();
        else
            watcher->stop();
        FakeDeckPlayer* d = FakeDeckPlayer::deckNo(c.deck);
        const int opened = d->opened.size();
        (f.*(c.deck == 1 ? &form1::cmdLD1_Click : &form1::cmdLD2_Click))();
        EXPECT_EQ(d->opened.size() - opened, c.loads ? 1 : 0);
        EXPECT_EQ(f.lstPlaylist->Count(), c.loads ? 0 : 1);
        if (c.loads) {
            EXPECT_EQ(d->PlayState(), DeckPlayer::Stopped);
        }
        watcher->stop();
    }
    // Nothing to load: nothing happens, and nothing is said.
    f.lstPlaylist->Clear();
    f.chkAutoFade->setChecked(false);
    f.cmdLD1_Click();
    f.cmdLD2_Click();
    EXPECT_TRUE(app.ui.messages.isEmpty());
}

TEST_F(DeckPlayback, Deck1MovesOnByItselfWithoutRewritingTheAutoRecoverFile) {
    FakeDeckPlayer::durations()[file("A.mp3")] = 60;
    cue({"A.mp3", "B.mp3", "C.mp3"});
    f.Command2_Click();
    const QByteArray backup = backupBytes();

    d1()->advance(60);
    EXPECT_EQ(d1()->opened, QStringList({file("A.mp3"), file("B.mp3")}));
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(f.lblD1->text(), "B.mp3");
    EXPECT_EQ(f.lbldisplay->text(), "B.mp3");
    EXPECT_EQ(cueNames(), QStringList{"C.mp3"});
    EXPECT_EQ(f.lblPlaySongs->text(), "Songs in cue:1");
    EXPECT_EQ(backupBytes(), backup);

    // The last song ends: deck 1 stays stopped.
    d1()->advance(180);
    d1()->advance(180);
    EXPECT_EQ(d1()->opened.size(), 3);
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Stopped);
}

TEST_F(DeckPlayback, OnlyDeck1MovesOnAndOnlyWithAutoFadeOff) {
    cue({"A.mp3", "B.mp3", "C.mp3"});
    f.cmdLD2_Click();
    d2()->Play();
    d2()->advance(180);  // deck 2 ends: nothing happens
    EXPECT_EQ(cueNames(), QStringList({"B.mp3", "C.mp3"}));
    EXPECT_TRUE(d1()->calls.isEmpty());

    f.Command2_Click();
    f.chkAutoFade->setChecked(true);
    d1()->advance(180);  // with auto fade on, the engine is in charge
    EXPECT_EQ(cueNames(), QStringList{"C.mp3"});
    EXPECT_EQ(d1()->opened.size(), 1);
}

TEST_F(DeckPlayback, RemainingTimeLabelsReadTheirOwnDeck) {
    cue({"A.mp3"});
    f.Command2_Click();
    d1()->advance(54.6);
    f.Timer1_Timer();
    f.Timer2_Timer();
    EXPECT_EQ(f.lblt1->text(), "02:05");
    EXPECT_EQ(f.lblt2->text(), "00:00");
}

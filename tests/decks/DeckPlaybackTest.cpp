// Songs onto the decks: playing the compiled list, loading by hand, deck 1
// moving on by itself, and the remaining-time labels.
#include "DeckFixture.h"

class DeckPlayback : public DeckFixture {};

TEST_F(DeckPlayback, PlayCompiledListStartsTheTopSongOnDeck1AndLoadingFollows) {
    cue({"B.mp3"});
    f->cmdLD2_Click();
    d2()->Play();  // goes on playing, 60 dB down
    cue({"A.mp3", "C.mp3", "D.mp3"});
    Module1::CurrentDeck = 2;
    f->Fader->setValue(40);
    f->T2->start();

    f->Command2_Click();
    EXPECT_EQ(d1()->opened, QStringList{file("A.mp3")});
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(f->lblD1->text(), "A.mp3");
    EXPECT_EQ(std::make_tuple(cue(), CueCountLabel()),
              std::make_tuple(QStringList({"C.mp3", "D.mp3"}), QString("Songs in cue:2")));
    EXPECT_EQ(BackupRows(), CueRows());
    EXPECT_EQ(std::make_tuple(Module1::CurrentDeck, d1()->Volume(), d2()->Volume(), f->Fader->value()),
              std::make_tuple(1, 0, -6000, 0));
    EXPECT_EQ(d2()->PlayState(), DeckPlayer::Playing);
    EXPECT_FALSE(f->T1->isActive() || f->T2->isActive());  // auto fade off: no watcher
    d1()->advance(54.6);                                   // each time label reads its own deck
    f->Timer1_Timer();
    f->Timer2_Timer();
    EXPECT_EQ(std::make_tuple(f->lblt1->text(), f->lblt2->text()),
              std::make_tuple(QString("02:05"), QString("03:00")));

    f->chkAutoFade->setChecked(true);
    f->T2->start();
    f->Command2_Click();
    EXPECT_TRUE(f->T1->isActive());
    EXPECT_FALSE(f->T2->isActive());

    // Loading a deck by hand is blocked only by its own watcher, with auto fade.
    d2()->Stop();
    cue({"E.mp3", "F.mp3", "G.mp3"});
    d1()->SetVolume(-300);
    f->cmdLD1_Click();
    EXPECT_EQ(d1()->opened.last(), file("C.mp3"));
    f->cmdLD2_Click();
    EXPECT_EQ(std::make_tuple(d2()->opened.last(), d2()->PlayState(), f->lblD2->text(), CueCountLabel()),
              std::make_tuple(file("E.mp3"), int(DeckPlayer::Stopped), QString("E.mp3"),
                              QString("Songs in cue:2")));
    EXPECT_EQ(BackupRows(), CueRows());
    // Deck 1 and the engine are untouched.
    EXPECT_EQ(std::make_tuple(d1()->PlayState(), d1()->Volume(), d2()->Volume(), Module1::CurrentDeck),
              std::make_tuple(int(DeckPlayer::Playing), -300, -6000, 1));
    EXPECT_TRUE(f->T1->isActive());
    f->chkAutoFade->setChecked(false);
    f->cmdLD1_Click();
    EXPECT_EQ(d1()->opened.last(), file("F.mp3"));
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Stopped);
}

TEST_F(DeckPlayback, EmptyCueShowsTheMessageAndLoadsNothing) {
    f->Command2_Click();
    ASSERT_EQ(app.ui.messages.size(), 1);
    const Seams::Message& m = app.ui.messages.first();
    EXPECT_EQ(std::make_tuple(m.text, m.icon, m.buttons, m.title),
              std::make_tuple(QString("No songs found in list ?"), Seams::Icon::Information,
                              Seams::Buttons::OK, QString("Velumix")));
    f->cmdLD1_Click();
    f->cmdLD2_Click();
    EXPECT_EQ(app.ui.messages.size(), 1);
    EXPECT_TRUE(d1()->calls.isEmpty() && d2()->calls.isEmpty());
}

TEST_F(DeckPlayback, Deck1MovesOnByItselfOnlyWithAutoFadeOff) {
    FakeDeckPlayer::durations()[file("A.mp3")] = 60;
    cue({"A.mp3", "B.mp3", "C.mp3", "D.mp3"});
    f->Command2_Click();
    f->cmdLD2_Click();
    d2()->Play();
    d2()->advance(180);  // deck 2 ends: nothing happens
    EXPECT_EQ(cue(), QStringList({"C.mp3", "D.mp3"}));
    const QByteArray written = backup();

    d1()->advance(60);
    EXPECT_EQ(d1()->opened.last(), file("C.mp3"));
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(std::make_tuple(f->lblD1->text(), f->lbldisplay->text()),
              std::make_tuple(QString("C.mp3"), QString("C.mp3")));
    EXPECT_EQ(f->lblPlaySongs->text(), "Songs in cue:1");
    EXPECT_EQ(backup(), written);  // this path does not rewrite the auto-recover file

    f->chkAutoFade->setChecked(true);
    d1()->advance(180);
    EXPECT_EQ(cue(), QStringList{"D.mp3"});
    EXPECT_EQ(d1()->opened.size(), 2);
}

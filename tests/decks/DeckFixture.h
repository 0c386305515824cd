#pragma once
// The main window over fake decks, as a fresh start leaves it: deck 1 live
// at full volume, deck 2 at -3000, the fader at deck 1's end.
#include "support/CueFixture.h"

class DeckFixture : public CueTest {
  protected:
    ~DeckFixture() override { FakeDeckPlayer::durations().clear(); }
    static QString file(const QString& name) { return "/m/" + name; }
    using CueTest::cue;
    void cue(const QStringList& names) { fill(f->lstPlaylist, names); }
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
};

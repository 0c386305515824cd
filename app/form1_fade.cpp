#include <cmath>

#include "app/Module1.h"
#include "app/decks/CrossFade.h"
#include "app/form1.h"

namespace {

// Starting a running watcher again would shift its tick; it keeps its phase.
void Enable(QTimer* t) {
    if (!t->isActive()) t->start();
}

}  // namespace

void form1::MoveFader(int value) {
    // The engine keeps the fader out of the user's hands while it runs.
    Fader->setEnabled(true);
    Fader->setValue(value);
    Fader->setEnabled(false);
}

void form1::StartNextSong(int deck) {
    QString name, file;
    if (!TakeNextSong(name, file)) return;
    DeckControl* d = Deck(deck);
    // A song that does not open is passed over: the deck is still told to
    // play (it plays what it holds, if anything) and the fade goes on.
    d->Open(file);
    d->Play();
    d->SetVolume(CrossFade::kStartVolume);
    (deck == 1 ? lblD1 : lblD2)->setText(name);
    RemoveTakenSong();
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void form1::FadeTick(int watched) {
    const int other = watched == 1 ? 2 : 1;
    DeckControl* live = Deck(watched);
    DeckControl* next = Deck(other);
    CrossFade::TickInput in;
    in.watched = watched;
    in.currentDeck = Module1::CurrentDeck;
    in.duration = live->Duration();
    in.position = live->CurrentPosition();
    in.watchedVolume = live->Volume();
    in.otherVolume = next->Volume();
    in.cueHasSongs = lstPlaylist->Count() > 0;
    in.watchedPlayState = live->PlayState();
    // A fade called for goes on as if the song had reached its last seconds,
    // whatever its remaining time, until the hand-over.
    if (fadeNowDeck_ == watched && in.duration - in.position > CrossFade::kLeadSeconds)
        in.position = in.duration - CrossFade::kLeadSeconds;
    const CrossFade::TickPlan plan = CrossFade::Tick(in);

    live->SetVolume(plan.watchedVolume);
    if (plan.startNext) StartNextSong(other);
    next->SetVolume(plan.otherVolume);
    Module1::CurrentDeck = plan.currentDeck;
    if (plan.handOver) {
        (watched == 1 ? T1 : T2)->stop();
        Enable(watched == 1 ? T2 : T1);
    }
    if (plan.faderTo >= 0) MoveFader(plan.faderTo);
    if (plan.handOver) {
        if (fadeNowDeck_ == watched) fadeNowDeck_ = 0;
        live->Pause();
        live->SetCurrentPosition(0);
    }
}

void form1::T1_Timer() {
    FadeTick(1);
}

void form1::T2_Timer() {
    FadeTick(2);
}

void form1::chkAutoFade_Click() {
    if (!chkAutoFade->isChecked()) {
        // The decks keep their volumes; the fader is the user's again.
        T1->stop();
        T2->stop();
        Fader->setEnabled(true);
        fadeNowDeck_ = 0;
        return;
    }
    const CrossFade::ArmPlan plan = CrossFade::Arm(MP1->PlayState() == CrossFade::kPlaying,
                                                   MP2->PlayState() == CrossFade::kPlaying, Fader->value());
    if (plan.setVolumes) {
        MP1->SetVolume(plan.deck1Volume);
        MP2->SetVolume(plan.deck2Volume);
    }
    Module1::CurrentDeck = plan.liveDeck;
    if (plan.watch) {
        (plan.liveDeck == 1 ? T2 : T1)->stop();
        Enable(plan.liveDeck == 1 ? T1 : T2);
        Fader->setValue(plan.faderTo);
    }
    if (plan.disableFader) Fader->setEnabled(false);
}

void form1::Fader_Click() {
    const int v = Fader->value();
    MP2->SetVolume(CrossFade::Deck2VolumeAt(v));
    MP1->SetVolume(CrossFade::Deck1VolumeAt(v));
}

void form1::Command5_Click() {
    if (chkAutoFade->isChecked()) return;
    Fader->setValue(CrossFade::kFaderDeck1);
    Fader_Click();
    Module1::CurrentDeck = 1;
}

void form1::Command6_Click() {
    if (chkAutoFade->isChecked()) return;
    Fader->setValue(CrossFade::kFaderDeck2);
    Module1::CurrentDeck = 2;
    Fader_Click();
}

void form1::MP1_PlayStateChange(int, int) {}

void form1::MP2_PlayStateChange(int, int) {
    // Deck 2 started by hand with the fader at its end: the engine watches it.
    if (Fader->value() == CrossFade::kFaderDeck2 && MP2->PlayState() == CrossFade::kPlaying &&
        chkAutoFade->isChecked()) {
        Enable(T2);
        T1->stop();
    }
}

void form1::FadeNow() {
    // Asking for a fade means wanting the engine: it is switched on first.
    if (!chkAutoFade->isChecked()) {
        chkAutoFade->setChecked(true);
        chkAutoFade_Click();
    }
    QTimer* watcher = T1->isActive() ? T1 : T2->isActive() ? T2 : nullptr;
    if (!watcher) return;  // armed, but the live deck plays nothing
    const int watched = watcher == T1 ? 1 : 2;
    DeckControl* live = Deck(watched);
    // A fade under way, called for or due by the clock, goes on as it is.
    const bool fading = fadeNowDeck_ == watched || Module1::CurrentDeck != watched ||
                        std::abs(live->Duration() - live->CurrentPosition()) <= CrossFade::kLeadSeconds;
    if (fading) return;
    fadeNowDeck_ = watched;
    // The first step now, the next ones a full tick apart from it.
    watcher->start();
    FadeTick(watched);
}

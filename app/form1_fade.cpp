#include <cmath>

#include "app/Cue.h"
#include "app/Module1.h"
#include "app/decks/CrossFade.h"
#include "app/form1.h"

namespace {

// Starting a running watcher again would shift its tick; it keeps its phase.
void Enable(QTimer* t) {
    if (!t->isActive()) t->start();
}

}  // namespace

void form1::SetFade(const CrossFade::Params& p) {
    fade_ = p;
    T1->setInterval(p.tickMs);
    T2->setInterval(p.tickMs);
}

void form1::MoveFader(int value) {
    // The engine keeps the fader out of the user's hands while it runs.
    Fader->setEnabled(true);
    Fader->setValue(value);
    Fader->setEnabled(false);
}

bool form1::StartNextSong(int deck) {
    // Songs that do not open leave the cue on the way to the first that does.
    const bool opened = OpenNextSong(deck);
    if (opened) {
        Deck(deck)->Play();
        Deck(deck)->SetVolume(fade_.startVolume);
    }
    Cue::Changed(Cue::Count::Refresh, Cue::Backup::Write);
    return opened;
}

void form1::LiveDeckEnded(int deck) {
    // A song shorter than the fade, or a file that ends early, leaves the live
    // deck silent before the engine would start the next song. Waiting for the
    // fade (or handing back to a deck that holds nothing new) would be dead
    // air: the next song starts at once on the other deck, at full volume, and
    // that deck becomes the live one.
    const bool watching = T1->isActive() || T2->isActive();
    if (!chkAutoFade->isChecked() || !watching || deck != Module1::CurrentDeck) return;
    if (lstPlaylist->Count() == 0) return;
    const int other = deck == 1 ? 2 : 1;
    const bool opened = OpenNextSong(other);
    Cue::Changed(Cue::Count::Refresh, Cue::Backup::Write);
    if (!opened) return;
    Deck(other)->Play();
    Deck(other)->SetVolume(0);
    Deck(deck)->SetVolume(fade_.silent);
    fadeNowDeck_ = 0;
    Module1::CurrentDeck = other;
    (other == 1 ? T2 : T1)->stop();
    Enable(other == 1 ? T1 : T2);
    MoveFader(other == 1 ? CrossFade::kFaderDeck1 : CrossFade::kFaderDeck2);
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
    if (fadeNowDeck_ == watched && in.duration - in.position > fade_.leadSeconds)
        in.position = in.duration - fade_.leadSeconds;
    CrossFade::TickPlan plan = CrossFade::Tick(in, fade_);

    // The fade's own steps may be spread over the tick; the hand-over and the fall-back are not.
    const int glide =
        plan.fading && !plan.handOver && !plan.fallBack ? (watched == 1 ? T1 : T2)->interval() : 0;
    live->GlideVolume(plan.watchedVolume, glide);
    if (plan.startNext && !StartNextSong(other)) {
        // Nothing in the cue would open: the fade goes on as over an empty cue.
        in.cueHasSongs = false;
        plan = CrossFade::Tick(in, fade_);
    }
    next->GlideVolume(plan.otherVolume, glide);
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
    const CrossFade::ArmPlan plan =
        CrossFade::Arm(MP1->PlayState() == DeckPlayer::Playing, MP2->PlayState() == DeckPlayer::Playing,
                       Fader->value(), fade_);
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
    // Opening a song on a load button reports a start too; that one is not a play.
    if (handLoad_) return;
    if (Fader->value() == CrossFade::kFaderDeck2 && MP2->PlayState() == DeckPlayer::Playing &&
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
                        std::abs(live->Duration() - live->CurrentPosition()) <= fade_.leadSeconds;
    if (fading) return;
    fadeNowDeck_ = watched;
    // The first step now, the next ones a full tick apart from it.
    watcher->start();
    FadeTick(watched);
}

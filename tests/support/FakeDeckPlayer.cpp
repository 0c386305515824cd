#include "support/FakeDeckPlayer.h"

#include "app/decks/DeckFactory.h"

bool FakeDeckPlayer::Open(const QString& f) {
    file_ = f;
    opened << f;
    duration_ = durations().value(f, 180.0);
    position_ = 0;
    setState(Playing);  // auto start
    return true;
}

void FakeDeckPlayer::Play() {
    if (file_.isEmpty()) return;
    if (position_ >= duration_) position_ = 0;
    setState(Playing);
}

void FakeDeckPlayer::Stop() {
    position_ = 0;
    setState(Stopped);
}

void FakeDeckPlayer::Pause() {
    if (state_ == Playing) setState(Paused);
}

void FakeDeckPlayer::setState(int s) {
    if (s == state_) return;
    const int old = state_;
    state_ = s;
    emit PlayStateChange(old, s);
}

void FakeDeckPlayer::advance(double seconds) {
    if (state_ != Playing) return;
    position_ += seconds;
    if (position_ >= duration_) {
        position_ = duration_;
        setState(Stopped);
        emit EndOfStream(0);
    }
}

void FakeDeckPlayer::install() {
    SetDeckFactory([](int deck) {
        auto p = std::make_unique<FakeDeckPlayer>();
        if (deck >= 1 && deck <= 2) decks_[deck] = p.get();
        return p;
    });
}

#include "app/decks/EngineDeckPlayer.h"

#include <QTimer>
#include <algorithm>

#include "audio/Engine.h"

EngineDeckPlayer::EngineDeckPlayer(std::shared_ptr<audio::Engine> engine, QObject* parent)
    : DeckPlayer(parent), engine_(std::move(engine)), deck_(engine_->addDeck()) {
    if (!engine_->offline()) {
        timer_ = new QTimer(this);
        timer_->setInterval(15);
        connect(timer_, &QTimer::timeout, this, &EngineDeckPlayer::poll);
        timer_->start();
    }
}

EngineDeckPlayer::~EngineDeckPlayer() {
    engine_->removeDeck(deck_);
}

bool EngineDeckPlayer::Open(const QString& file) {
    if (!deck_) {
        error_ = tr("No free deck in the audio engine.");
        return false;
    }
    std::string why;
    if (file.isEmpty()) {
        why = "no file name";
    } else if (deck_->open(
                   file.toStdString(), why,
                   {Options::Get(SoundOptions::kSkipSilence), Options::Get(SoundOptions::kLevelLoudness)})) {
        file_ = file;
        error_.clear();
        atEnd_ = false;
        deck_->play();  // auto start
        setState(Playing);
        return true;
    }
    error_ = tr("Cannot play \"%1\": %2.").arg(file, QString::fromStdString(why));
    return false;
}

void EngineDeckPlayer::Play() {
    if (!deck_ || !deck_->isOpen()) return;
    if (atEnd_) {
        deck_->seek(0);
        atEnd_ = false;
    }
    deck_->play();
    setState(Playing);
}

void EngineDeckPlayer::Stop() {
    if (deck_) {
        deck_->halt();
        deck_->seek(0);
    }
    atEnd_ = false;
    setState(Stopped);
}

void EngineDeckPlayer::Pause() {
    if (state_ != Playing) return;
    deck_->halt();
    setState(Paused);
}

void EngineDeckPlayer::SetVolume(int v) {
    volume_ = v;
    if (deck_) deck_->setVolume(v);
}

void EngineDeckPlayer::GlideVolume(int v, int ms) {
    volume_ = v;
    if (deck_)
        deck_->setVolume(
            v, Options::Get(SoundOptions::kSmoothFades) ? int(int64_t(ms) * engine_->rate() / 1000) : 0);
}

double EngineDeckPlayer::CurrentPosition() const {
    return deck_ ? deck_->position() : 0.0;
}

void EngineDeckPlayer::SetCurrentPosition(double seconds) {
    if (!deck_ || !deck_->isOpen()) return;
    deck_->seek(std::clamp(seconds, 0.0, Duration()));
    atEnd_ = false;
}

double EngineDeckPlayer::Duration() const {
    return deck_ ? deck_->duration() : 0.0;
}

void EngineDeckPlayer::poll() {
    if (!deck_ || !deck_->takeEnded()) return;
    atEnd_ = true;
    deck_->halt();
    setState(Stopped);
    emit EndOfStream(0);
}

void EngineDeckPlayer::setState(int s) {
    if (s == state_) return;
    const int old = state_;
    state_ = s;
    emit PlayStateChange(old, s);
}

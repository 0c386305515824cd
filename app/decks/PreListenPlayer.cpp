#include "app/decks/PreListenPlayer.h"

#include <QCoreApplication>
#include <algorithm>

#include "audio/Engine.h"

PreListenPlayer::PreListenPlayer(std::shared_ptr<audio::Engine> engine)
    : engine_(std::move(engine)), deck_(engine_->addDeck(audio::Engine::Output::PreListen)) {}

PreListenPlayer::~PreListenPlayer() {
    engine_->removeDeck(deck_);
}

bool PreListenPlayer::Start(const QString& file) {
    std::string why = "no free deck";
    if (deck_ && deck_->open(file.toStdString(), why)) {
        file_ = file;
        error_.clear();
        ended_ = false;
        deck_->play();
        return true;
    }
    error_ = QCoreApplication::translate("PreListen", "Cannot play \"%1\": %2.")
                 .arg(file, QString::fromStdString(why));
    return false;
}

void PreListenPlayer::Play() {
    if (!deck_ || !deck_->isOpen()) return;
    // A song heard to its end starts again rather than staying silent.
    if (ended_) deck_->seek(0);
    ended_ = false;
    deck_->play();
}

void PreListenPlayer::Stop() {
    if (deck_) deck_->halt();
}

bool PreListenPlayer::Playing() const {
    return deck_ && deck_->running();
}

void PreListenPlayer::Seek(double seconds) {
    if (!deck_ || !deck_->isOpen()) return;
    deck_->seek(std::clamp(seconds, 0.0, Duration()));
    ended_ = false;
}

void PreListenPlayer::JumpToOutro() {
    if (!deck_ || !deck_->isOpen()) return;
    Seek(Duration() - kOutroSeconds);
    deck_->play();
}

void PreListenPlayer::poll() {
    if (deck_ && deck_->takeEnded()) {
        deck_->halt();
        ended_ = true;
    }
}

void PreListenPlayer::SetVolume(int v) {
    volume_ = v;
    if (deck_) deck_->setVolume(v);
}

double PreListenPlayer::Position() const {
    return deck_ ? deck_->position() : 0.0;
}

double PreListenPlayer::Duration() const {
    return deck_ ? deck_->duration() : 0.0;
}

#include "windows/frmPreListen.h"

#include <QGridLayout>
#include <cmath>

#include "app/decks/CrossFade.h"
#include "app/decks/SoundOutputs.h"

frmPreListen::frmPreListen()
    : player_(SoundOutputs::current() ? &SoundOutputs::current()->preListen() : nullptr) {
    setWindowTitle(QStringLiteral("Pre-listen"));
    auto* grid = new QGridLayout(this);
    lblSong = new QLabel(this);
    sldPosition = new QSlider(Qt::Horizontal, this);
    cmdPlay = new QPushButton(tr("Play"), this);
    cmdOutro = new QPushButton(tr("Last %1 s").arg(PreListenPlayer::kOutroSeconds), this);
    cmdOutro->setToolTip(tr("Jump to %1 seconds before the end").arg(PreListenPlayer::kOutroSeconds));
    sldVolume = new QSlider(Qt::Horizontal, this);
    sldVolume->setRange(CrossFade::Params{}.silent, 0);
    sldVolume->setToolTip(tr("Volume"));
    grid->addWidget(lblSong, 0, 0, 1, 3);
    grid->addWidget(sldPosition, 1, 0, 1, 3);
    grid->addWidget(cmdPlay, 2, 0);
    grid->addWidget(cmdOutro, 2, 1);
    grid->addWidget(sldVolume, 2, 2);
    resize(380, 110);
    tmrPosition = new QTimer(this);
    tmrPosition->setInterval(100);
    connect(tmrPosition, &QTimer::timeout, this, &frmPreListen::tmrPosition_Timer);
    connect(cmdPlay, &QPushButton::clicked, this, &frmPreListen::cmdPlay_Click);
    connect(cmdOutro, &QPushButton::clicked, this, &frmPreListen::cmdOutro_Click);
    connect(sldPosition, &QSlider::sliderReleased, this, &frmPreListen::sldPosition_Release);
    connect(sldVolume, &QSlider::valueChanged, this, &frmPreListen::sldVolume_Change);
    if (player_) sldVolume->setValue(player_->Volume());
}

// Closing the window ends what is heard in the headphones.
void frmPreListen::Form_Unload(int&) {
    if (player_) player_->Stop();
}

bool frmPreListen::PlaySong(const CueSong& song) {
    lblSong->setText(song.name);
    if (!player_ || !player_->Start(song.file())) {
        lblSong->setText(player_ ? player_->LastError() : song.name);
        return false;
    }
    tmrPosition->start();
    tmrPosition_Timer();
    return true;
}

void frmPreListen::cmdPlay_Click() {
    if (!player_) return;
    if (player_->Playing())
        player_->Stop();
    else
        player_->Play();
    tmrPosition_Timer();
}

void frmPreListen::cmdOutro_Click() {
    if (!player_) return;
    player_->JumpToOutro();
    tmrPosition_Timer();
}

void frmPreListen::sldPosition_Release() {
    if (player_) player_->Seek(sldPosition->value() / 10.0);
}

void frmPreListen::sldVolume_Change(int value) {
    if (player_) player_->SetVolume(value);
}

void frmPreListen::tmrPosition_Timer() {
    if (!player_) return;
    player_->poll();
    cmdPlay->setText(player_->Playing() ? tr("Stop") : tr("Play"));
    sldPosition->setMaximum(int(std::lround(player_->Duration() * 10)));
    // A slider held by the user is theirs until released.
    if (!sldPosition->isSliderDown()) sldPosition->setValue(int(std::lround(player_->Position() * 10)));
}

#include "app/decks/DeckControl.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "app/decks/CrossFade.h"
#include "seams/Seams.h"

DeckControl::DeckControl(std::unique_ptr<DeckPlayer> player, QWidget* parent)
    : QWidget(parent), player_(std::move(player)) {
    player_->setParent(nullptr);
    play_ = new QPushButton(this);
    pause_ = new QPushButton(this);
    stop_ = new QPushButton(this);
    play_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    pause_->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    stop_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    play_->setToolTip(tr("Play"));
    pause_->setToolTip(tr("Pause"));
    stop_->setToolTip(tr("Stop"));
    for (QPushButton* b : {play_, pause_, stop_}) {
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(20, 18);
    }
    tracker_ = new QSlider(Qt::Horizontal, this);
    tracker_->setRange(0, 1000);
    tracker_->setToolTip(tr("Position"));
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setRange(CrossFade::Params{}.silent, 0);
    volume_->setFixedWidth(50);
    volume_->setToolTip(tr("Volume"));

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(play_);
    row->addWidget(pause_);
    row->addWidget(stop_);
    row->addWidget(volume_);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(1, 1, 1, 1);
    col->setSpacing(0);
    col->addWidget(tracker_);
    col->addLayout(row);

    connect(play_, &QPushButton::clicked, this, [this] { player_->Play(); });
    connect(pause_, &QPushButton::clicked, this, [this] { player_->Pause(); });
    connect(stop_, &QPushButton::clicked, this, [this] { player_->Stop(); });
    connect(tracker_, &QSlider::sliderPressed, this, [this] { dragging_ = true; });
    connect(tracker_, &QSlider::sliderReleased, this, [this] {
        dragging_ = false;
        const double d = player_->Duration();
        if (d > 0) player_->SetCurrentPosition(d * tracker_->value() / 1000.0);
    });
    // Only the user's moves act on the player; refresh() sets the value silently.
    connect(volume_, &QSlider::sliderMoved, this, [this](int v) { player_->SetVolume(v); });
    connect(player_.get(), &DeckPlayer::EndOfStream, this, &DeckControl::EndOfStream);
    connect(player_.get(), &DeckPlayer::PlayStateChange, this, &DeckControl::PlayStateChange);

    refresh_ = new QTimer(this);
    refresh_->setInterval(250);
    connect(refresh_, &QTimer::timeout, this, &DeckControl::refresh);
    refresh_->start();
}

DeckControl::~DeckControl() = default;

void DeckControl::refresh() {
    const double d = player_->Duration();
    if (!dragging_) {
        QSignalBlocker block(tracker_);
        tracker_->setValue(d > 0 ? static_cast<int>(1000.0 * player_->CurrentPosition() / d) : 0);
    }
    if (!volume_->isSliderDown()) {
        QSignalBlocker block(volume_);
        volume_->setValue(std::clamp(player_->Volume(), volume_->minimum(), 0));
    }
}

void DeckControl::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addAction(tr("Play"), this, [this] { player_->Play(); });
    menu.addAction(tr("Pause"), this, [this] { player_->Pause(); });
    menu.addAction(tr("Stop"), this, [this] { player_->Stop(); });
    Seams::ui().popup(&menu, e->globalPos());
}

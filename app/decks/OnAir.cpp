#include "app/decks/OnAir.h"

#include <QFileInfo>

#include "audio/Engine.h"
#include "library/SongTags.h"

namespace {
OnAir* g_current = nullptr;
}

QString OnAirTitle(const QString& file) {
    const QFileInfo info(file);
    const SongTags::Tags tags = SongTags::Of(info.path() + QLatin1Char('/'), info.fileName());
    if (!tags.artist.isEmpty() && !tags.title.isEmpty())
        return tags.artist + QStringLiteral(" - ") + tags.title;
    return info.fileName();
}

OnAir::OnAir(std::shared_ptr<audio::Engine> engine, std::function<QString()> liveSong, QObject* parent)
    : QObject(parent), engine_(std::move(engine)), liveSong_(std::move(liveSong)) {
    g_current = this;
    watch_.setInterval(kWatchMs);
    connect(&watch_, &QTimer::timeout, this, &OnAir::Refresh);
}

OnAir::~OnAir() {
    Disconnect();
    if (g_current == this) g_current = nullptr;
}

OnAir* OnAir::current() {
    return g_current;
}

void OnAir::Connect(const audio::BroadcastConfig& config) {
    Disconnect();
    broadcaster_ = std::make_unique<audio::Broadcaster>(engine_->rate());
    engine_->setMixTap(&broadcaster_->tap());
    song_ = liveSong_();
    broadcaster_->setTitle(song_.isEmpty() ? std::string() : OnAirTitle(song_).toStdString());
    broadcaster_->start(config);
    watch_.start();
    Refresh();
}

void OnAir::Disconnect() {
    if (!broadcaster_) return;
    watch_.stop();
    broadcaster_->stop();
    engine_->setMixTap(nullptr);
    broadcaster_.reset();
    Refresh();
}

audio::BroadcastStatus OnAir::Status() const {
    return broadcaster_ ? broadcaster_->status() : audio::BroadcastStatus{};
}

QString OnAir::StatusLine() const {
    return QString::fromStdString(audio::StatusLine(Status()));
}

void OnAir::Refresh() {
    if (broadcaster_) {
        const QString song = liveSong_();
        if (song != song_ && !song.isEmpty()) broadcaster_->setTitle(OnAirTitle(song).toStdString());
        song_ = song;
    }
    const QString line = StatusLine();
    if (line == line_) return;
    line_ = line;
    emit StatusChanged(line);
}

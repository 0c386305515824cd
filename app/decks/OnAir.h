#pragma once
// The broadcast as the program runs it: while on the air the encoder is fed
// from the engine's main mix, the song on the live deck goes out as the
// stream's title at each change, and the status line is kept up to date.
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "audio/broadcast/Broadcaster.h"

namespace audio {
class Engine;
}

// What a listener is told is playing: "Artist - Title" when the library
// has both for the file, else the file's name.
QString OnAirTitle(const QString& file);

class OnAir : public QObject {
    Q_OBJECT
  public:
    static constexpr int kWatchMs = 250;

    // liveSong gives the full path of the song on the live deck ("" for none).
    OnAir(std::shared_ptr<audio::Engine> engine, std::function<QString()> liveSong,
          QObject* parent = nullptr);
    ~OnAir() override;
    // The one the program's windows use (null when the decks are not the engine's).
    static OnAir* current();

    void Connect(const audio::BroadcastConfig& config);
    void Disconnect();
    bool Active() const { return broadcaster_ != nullptr; }
    audio::BroadcastStatus Status() const;
    QString StatusLine() const;

    // Sends a changed title and tells of a changed status; the timer calls it.
    void Refresh();

  signals:
    void StatusChanged(const QString& line);

  private:
    std::shared_ptr<audio::Engine> engine_;
    std::function<QString()> liveSong_;
    std::unique_ptr<audio::Broadcaster> broadcaster_;
    QTimer watch_;
    QString song_, line_;
};

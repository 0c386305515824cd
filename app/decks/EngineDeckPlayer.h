#pragma once
// The program's deck player: one deck of the audio engine behind the
// DeckPlayer operations. The engine reports a song's end through an atomic;
// poll() turns it into the notifications on the UI thread. On a real-time
// engine a 15 ms timer calls poll(); on an offline engine the caller does,
// after each render:
//
//     auto engine = std::make_shared<audio::Engine>(audio::Engine::Offline{44100});
//     EngineDeckPlayer deck(engine);
//     deck.Open(file);                       // playing
//     engine->pump(); engine->render(buf, n); deck.poll();
#include <QString>
#include <memory>

#include "app/decks/DeckPlayer.h"
#include "app/decks/SoundOptions.h"

namespace audio {
class Engine;
class Deck;
}  // namespace audio
class QTimer;

class EngineDeckPlayer : public DeckPlayer {
    Q_OBJECT
  public:
    explicit EngineDeckPlayer(std::shared_ptr<audio::Engine> engine, QObject* parent = nullptr);
    ~EngineDeckPlayer() override;

    bool SetFileName(const QString& file) override { return Open(file); }
    bool Open(const QString& file) override;
    QString FileName() const override { return file_; }
    QString LastError() const override { return error_; }
    void Play() override;
    void Stop() override;
    void Pause() override;
    int Volume() const override { return volume_; }
    void SetVolume(int hundredthsOfDb) override;
    // With Smooth Fades on, glides over `ms` instead of the short ramp.
    void GlideVolume(int hundredthsOfDb, int ms) override;
    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    double Duration() const override;
    int PlayState() const override { return state_; }

    // Delivers the end of a song that played out since the last call.
    void poll();
    const std::shared_ptr<audio::Engine>& engine() const { return engine_; }

  private:
    void setState(int s);

    std::shared_ptr<audio::Engine> engine_;
    audio::Deck* deck_;
    QTimer* timer_ = nullptr;
    QString file_, error_;
    int volume_ = 0;
    int state_ = Stopped;
    bool atEnd_ = false;
};

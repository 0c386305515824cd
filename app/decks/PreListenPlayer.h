#pragma once
// The DJ's headphone player: one deck of the engine's pre-listen output,
// which is never mixed into what the room hears. Nothing here touches the
// decks, the cue or the fade.
#include <QString>
#include <memory>

namespace audio {
class Engine;
class Deck;
}  // namespace audio

class PreListenPlayer {
  public:
    static constexpr double kOutroSeconds = 20;

    explicit PreListenPlayer(std::shared_ptr<audio::Engine> engine);
    ~PreListenPlayer();
    PreListenPlayer(const PreListenPlayer&) = delete;
    PreListenPlayer& operator=(const PreListenPlayer&) = delete;

    // Plays the file from its start; false with LastError() when it does not open.
    bool Start(const QString& file);
    QString FileName() const { return file_; }
    QString LastError() const { return error_; }
    void Play();
    void Stop();
    bool Playing() const;
    void Seek(double seconds);
    // Plays from kOutroSeconds before the end, where the fade-out will be heard.
    void JumpToOutro();
    // Stops at the song's end (the window's timer calls it).
    void poll();
    // Hundredths of a decibel, as the decks.
    void SetVolume(int hundredthsOfDb);
    int Volume() const { return volume_; }
    double Position() const;
    double Duration() const;

  private:
    std::shared_ptr<audio::Engine> engine_;
    audio::Deck* deck_;
    QString file_, error_;
    int volume_ = 0;
    bool ended_ = false;
};

#pragma once
// A deck player driven by the test: it holds a scripted duration per file,
// a position the test advances, and raises the notifications a real deck
// would, in the same order.
#include <QMap>
#include <QPointer>
#include <QStringList>

#include "app/decks/DeckFactory.h"
#include "app/decks/DeckPlayer.h"

class FakeDeckPlayer : public DeckPlayer {
  public:
    // Seconds per file; files not listed last three minutes.
    static QMap<QString, double>& durations() { return durations_; }

    QStringList opened;  // every file successfully opened, in order

    bool SetFileName(const QString& f) override { return Open(f); }
    bool Open(const QString& f) override {
        file_ = f;
        opened << f;
        duration_ = durations().value(f, 180.0);
        position_ = 0;
        setState(Playing);  // auto start
        return true;
    }
    QString FileName() const override { return file_; }
    QString LastError() const override { return QString(); }
    void Play() override {
        if (file_.isEmpty()) return;
        if (position_ >= duration_) position_ = 0;
        setState(Playing);
    }
    void Stop() override {
        position_ = 0;
        setState(Stopped);
    }
    void Pause() override {
        if (state_ == Playing) setState(Paused);
    }
    int Volume() const override { return volume_; }
    void SetVolume(int v) override { volume_ = v; }
    double CurrentPosition() const override { return position_; }
    void SetCurrentPosition(double s) override { position_ = s; }
    double Duration() const override { return duration_; }
    int PlayState() const override { return state_; }
    bool HasSoundDevice() const override { return soundDevice; }
    bool soundDevice = true;

    // Moves time on by the given seconds while playing; at the end the deck
    // stops and raises end-of-stream.
    void advance(double seconds) {
        if (state_ != Playing) return;
        position_ = std::min(position_ + seconds, duration_);
        if (position_ < duration_) return;
        setState(Stopped);
        emit EndOfStream(0);
    }
    // Forces a state as if the user pressed the deck's own buttons.
    void setState(int s) {
        if (s == state_) return;
        std::swap(s, state_);
        emit PlayStateChange(s, state_);
    }

    // Makes every deck created from now on a FakeDeckPlayer, until the
    // factory is set again; deckNo(n) is the fake made since for deck n.
    static void install() {
        SetDeckFactory([](int deck) {
            auto p = std::make_unique<FakeDeckPlayer>();
            if (deck >= 1 && deck <= 2) decks_[deck] = p.get();
            return p;
        });
    }
    static FakeDeckPlayer* deckNo(int n) { return n == 1 || n == 2 ? decks_[n].data() : nullptr; }

  private:
    static inline QMap<QString, double> durations_;
    static inline QPointer<FakeDeckPlayer> decks_[3];
    QString file_;
    int volume_ = 0;
    double position_ = 0;
    double duration_ = 0;
    int state_ = Stopped;
};

#pragma once
// A deck player driven by the test: it holds a scripted duration per file,
// a position the test advances, and raises the notifications a real deck
// would, in the same order.
#include <QMap>
#include <QPointer>
#include <QStringList>

#include "app/decks/DeckPlayer.h"

class FakeDeckPlayer : public DeckPlayer {
    Q_OBJECT
  public:
    // Seconds per file; files not listed last three minutes.
    static QMap<QString, double>& durations() { return durations_; }

    QStringList opened;  // every file successfully opened, in order

    bool SetFileName(const QString& f) override { return Open(f); }
    bool Open(const QString& f) override;
    QString FileName() const override { return file_; }
    QString LastError() const override { return QString(); }
    void Play() override;
    void Stop() override;
    void Pause() override;
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
    void advance(double seconds);
    // Forces a state as if the user pressed the deck's own buttons.
    void setState(int s);

    // Makes every deck created from now on a FakeDeckPlayer, until the
    // factory is set again.
    static void install();
    // The fakes made since install, by deck number.
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

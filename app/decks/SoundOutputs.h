#pragma once
// Which devices the engine's two outputs play on: the user's choice,
// remembered by name per user, and kept to while devices come and go. A
// chosen device that is missing leaves the output on the default device (main
// mix) or off (pre-listen) and is tried again when the sound output window
// opens and every 10 s; a device that disappears while playing is noticed
// within a quarter second.
#include <QObject>
#include <QStringList>
#include <memory>

#include "app/decks/PreListenPlayer.h"
#include "audio/Engine.h"

class QTimer;

class SoundOutputs : public QObject {
    Q_OBJECT
  public:
    using Output = audio::Engine::Output;
    static constexpr int kRecheckMs = 10000, kWatchMs = 250;

    explicit SoundOutputs(std::shared_ptr<audio::Engine> engine, QObject* parent = nullptr);
    // Applies the remembered choice to the engine's outputs and starts
    // watching them (telling through Notice what is missing).
    void start();
    ~SoundOutputs() override;
    // The one the program's windows use (null before the main window made it).
    static SoundOutputs* current();

    QStringList devices() const;
    QString defaultDevice() const;
    // The remembered choice ("" = the default device; for pre-listen, none).
    QString chosen(Output output) const;
    // Remembers the choice and moves the output there; false when the device
    // did not open (the output is then where a missing choice leaves it).
    bool choose(Output output, const QString& device);
    // The device the output plays on now ("" when pre-listen is off).
    QString playingOn(Output output) const;

    // Why pre-listen cannot play now ("" when it can).
    QString preListenUnavailable() const;
    const std::shared_ptr<audio::Engine>& engine() const { return engine_; }
    // The headphone player (made on first use).
    PreListenPlayer& preListen();

    // Tries the remembered devices again (the timer and the window call it).
    void recheck();
    // Looks for a device that went away (the watch timer calls it).
    void watch();

  signals:
    // Something to tell the user without stopping them (never a modal box).
    void Notice(const QString& text);
    // Where an output plays, or whether pre-listen can, changed.
    void Changed();

  private:
    bool apply(Output output, bool tell);
    std::shared_ptr<audio::Engine> engine_;
    std::unique_ptr<PreListenPlayer> preListen_;
    QTimer *recheck_, *watch_;
};

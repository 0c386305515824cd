#pragma once
// What the program asks of a deck: the operations of a media player, with
// volume in hundredths of a decibel relative to full volume (0 = full,
// -6000 = 60 dB down). Notifications arrive on the UI thread.
#include <QObject>
#include <QString>

class DeckPlayer : public QObject {
    Q_OBJECT
  public:
    enum PlayState { Stopped = 0, Paused = 1, Playing = 2 };

    using QObject::QObject;
    ~DeckPlayer() override = default;

    // Opens the file and starts playing it at once. On failure the deck is
    // left as it was, false is returned and LastError() says why.
    virtual bool SetFileName(const QString& file) = 0;
    virtual bool Open(const QString& file) = 0;
    virtual QString FileName() const = 0;
    virtual QString LastError() const = 0;

    // Starts or resumes; after the end, starts the song again.
    virtual void Play() = 0;
    // Halts and rewinds to the start.
    virtual void Stop() = 0;
    // Halts where it is.
    virtual void Pause() = 0;

    // Reads back exactly the value last set.
    virtual int Volume() const = 0;
    virtual void SetVolume(int hundredthsOfDb) = 0;
    // Sets the volume as SetVolume does, for a change that may be spread over
    // `ms` (a fade step); a deck that cannot glide just sets it.
    virtual void GlideVolume(int hundredthsOfDb, int ms) {
        (void)ms;
        SetVolume(hundredthsOfDb);
    }

    virtual double CurrentPosition() const = 0;
    virtual void SetCurrentPosition(double seconds) = 0;
    // 0 when nothing is open.
    virtual double Duration() const = 0;
    virtual int PlayState() const = 0;

  signals:
    // At a natural end the play state first changes to Stopped, then this is raised once.
    void EndOfStream(int result);
    void PlayStateChange(int oldState, int newState);
};

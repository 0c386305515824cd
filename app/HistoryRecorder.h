#pragma once
// Hears the decks for the play history: a deck that starts playing a song
// opens a row, and the row is completed with the time heard when the deck
// stops, pauses, ends or moves on to another song.
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

class DeckControl;

class HistoryRecorder : public QObject {
    Q_OBJECT
  public:
    // The clocks: seconds that run with the sound (for the time heard) and
    // the local date and time (for when a song started). Real time unless set.
    struct Clock {
        std::function<double()> seconds;
        std::function<QDateTime()> now;
    };
    explicit HistoryRecorder(QObject* parent = nullptr);
    void SetClock(Clock clock) { clock_ = std::move(clock); }
    const Clock& clock() const { return clock_; }

    void Watch(int deck, DeckControl* control);
    // Completes the rows of songs still playing (a normal exit).
    void StopAll();

  private:
    struct Run {
        bool on = false;
        qint64 id = 0;
        QString file;
        double since = 0;
        QElapsedTimer begun;  // since the row was written
    };
    void sync(int deck, bool reopened);
    Clock clock_;
    DeckControl* decks_[3] = {};
    Run runs_[3];
};

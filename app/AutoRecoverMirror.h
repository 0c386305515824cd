#pragma once
// Keeps the auto-recover file in step with the cue, whatever changed it: a
// burst of changes (a whole list dropped in, songs moving up one by one) is
// written once, shortly after the last of them, without touching the cue's
// selection. Beside it, a second file names the song on air, so that after a
// crash or a power cut that song goes back to the top of the cue instead of
// being lost between the cue and the deck; a normal exit empties it.
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

#include "app/Cue.h"

class QAbstractItemModel;
class QTimer;

class AutoRecoverMirror : public QObject {
    Q_OBJECT
  public:
    // Writes come at most this long after the change that called for them.
    static constexpr int kDelayMs = 250;

    // cueFile mirrors `songs`; onAirFile holds `onAir` (both list files).
    AutoRecoverMirror(QString cueFile, QString onAirFile, std::function<QVector<CueSong>()> songs,
                      std::function<QVector<CueSong>()> onAir, QObject* parent = nullptr);

    // Something changed: both files follow within kDelayMs.
    void Schedule();
    // Writes both files now (and cancels a pending write).
    void WriteNow();
    // At a normal exit: a waiting change is written, and nothing is on air.
    void WriteAtExit();
    // Watches a list model for every kind of row change.
    void Watch(const QAbstractItemModel* model);
    QTimer* pending() const { return timer_; }

    // Appends the songs of a list file written here (false when it cannot be read).
    static bool ReadSongs(const QString& file, QVector<CueSong>& songs);

  private:
    QString cueFile_, onAirFile_;
    std::function<QVector<CueSong>()> songs_, onAir_;
    QTimer* timer_;
    QByteArray lastAir_ = "\n";  // what the on-air file holds, as far as known
    QByteArray startCue_;        // the cue as it was when watching began
    bool written_ = false;       // the files have been written since then

    // The timer's write: skipped while the cue is still what the start found.
    void WritePending();
};

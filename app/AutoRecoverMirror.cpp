#include "app/AutoRecoverMirror.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QTimer>

#include "library/ListFile.h"

AutoRecoverMirror::AutoRecoverMirror(QString cueFile, QString onAirFile,
                                     std::function<QVector<CueSong>()> songs,
                                     std::function<QVector<CueSong>()> onAir, QObject* parent)
    : QObject(parent),
      cueFile_(std::move(cueFile)),
      onAirFile_(std::move(onAirFile)),
      songs_(std::move(songs)),
      onAir_(std::move(onAir)),
      timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setInterval(kDelayMs);
    connect(timer_, &QTimer::timeout, this, &AutoRecoverMirror::WritePending);
}

void AutoRecoverMirror::Schedule() {
    // The first change of a burst sets the time; later ones ride along, so a
    // steady stream of changes still reaches the disk within the delay.
    if (!timer_->isActive()) timer_->start();
}

void AutoRecoverMirror::Watch(const QAbstractItemModel* model) {
    startCue_ = Cue::Records(songs_());
    const auto schedule = [this] { Schedule(); };
    connect(model, &QAbstractItemModel::rowsInserted, this, schedule);
    connect(model, &QAbstractItemModel::rowsRemoved, this, schedule);
    connect(model, &QAbstractItemModel::rowsMoved, this, schedule);
    connect(model, &QAbstractItemModel::dataChanged, this, schedule);
    connect(model, &QAbstractItemModel::modelReset, this, schedule);
    connect(model, &QAbstractItemModel::layoutChanged, this, schedule);
}

void AutoRecoverMirror::WritePending() {
    // A model reset that changed no song (the list's columns laid out anew)
    // must not replace the file a start with Auto Recover off left unread.
    if (!written_ && lastAir_ == "\n" && onAir_().isEmpty() && Cue::Records(songs_()) == startCue_) {
        timer_->stop();
        return;
    }
    WriteNow();
}

void AutoRecoverMirror::WriteNow() {
    timer_->stop();
    written_ = true;
    const QVector<CueSong> onAir = onAir_();
    // Each file is replaced whole, but not both at once: the one that gains a
    // song goes first, so that a crash between the two writes can at worst
    // list a song twice, never drop it. A song going on air is added to the
    // on-air file before it leaves the cue's file; a recovered song is in
    // the cue's file before the on-air file lets go of it.
    const QByteArray air = Cue::Records(onAir), cue = Cue::Records(songs_());
    // Nothing on air is no file at all; an unchanged one is not written again.
    const bool airChanged = air != lastAir_;
    if (airChanged && !onAir.isEmpty()) ListFile::WriteAtomically(onAirFile_, air);
    // A write that failed (a full disk) is tried again; the file keeps its
    // earlier content meanwhile.
    if (!ListFile::WriteAtomically(cueFile_, cue)) timer_->start();
    if (airChanged && onAir.isEmpty()) QFile::remove(onAirFile_);
    lastAir_ = air;
}

void AutoRecoverMirror::WriteAtExit() {
    // A normal exit leaves nothing on air. The cue's file already holds the
    // cue unless a change is still waiting; a start that changed nothing
    // leaves the file as it found it.
    onAir_ = [] { return QVector<CueSong>(); };
    if (timer_->isActive())
        WritePending();
    else if (!lastAir_.isEmpty())
        QFile::remove(onAirFile_);
}

bool AutoRecoverMirror::ReadSongs(const QString& file, QVector<CueSong>& songs) {
    QByteArray bytes;
    if (!ListFile::ReadAll(file, bytes)) return false;
    ListFile::RecordReader reader(ListFile::Decode(bytes));
    while (!reader.AtEnd()) {
        CueSong song;
        if (Cue::FromRecord(reader.Next(), song)) songs.append(song);
    }
    return true;
}

#include "app/HistoryRecorder.h"

#include <QElapsedTimer>

#include "app/PlayHistory.h"
#include "app/decks/DeckControl.h"

namespace {

// A deck reports a start and then the song it opened, both for one start:
// the same song "opened" this soon after its row was written is the same
// hearing. Real time, whatever clock the show runs on.
constexpr qint64 kSameStartMs = 50;

}  // namespace

HistoryRecorder::HistoryRecorder(QObject* parent) : QObject(parent) {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock_ = {[started] { return started->nsecsElapsed() / 1e9; },
              [] { return QDateTime::currentDateTime(); }};
}

void HistoryRecorder::Watch(int deck, DeckControl* control) {
    decks_[deck] = control;
    connect(control, &DeckControl::PlayStateChange, this, [this, deck] { sync(deck, false); });
    connect(control, &DeckControl::OpenTried, this, [this, deck](const QString&, bool opened) {
        if (opened) sync(deck, true);
    });
}

void HistoryRecorder::sync(int deck, bool reopened) {
    DeckControl* d = decks_[deck];
    Run& run = runs_[deck];
    const bool playing = d->PlayState() == DeckPlayer::Playing;
    const QString file = d->FileName();
    const double now = clock_.seconds();
    // Opening the same song again while it plays starts a new hearing.
    const bool again = reopened && run.file == file && run.begun.elapsed() > kSameStartMs;
    if (run.on && (!playing || file != run.file || again)) {
        PlayHistory::Finish(run.id, now - run.since);
        run = {};
    }
    if (playing && !run.on) {
        run.on = true;
        run.id = PlayHistory::Begin(CueSong::FromFile(file), deck, clock_.now());
        run.file = file;
        run.since = now;
        run.begun.start();
    }
}

void HistoryRecorder::StopAll() {
    for (Run& run : runs_) {
        if (run.on) PlayHistory::Finish(run.id, clock_.seconds() - run.since);
        run = {};
    }
}

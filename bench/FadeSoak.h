#pragma once
// Plays a whole cue through the cross-fade engine, a second at a time, and
// records what a listener would notice. Works over any deck players: the
// caller says how a second of playing time passes. Shared by the fake-deck
// and audio-engine runs of the soak benchmark.
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <functional>

#include "app/Module1.h"
#include "app/form1.h"

struct SoakFigures {
    int songs = 0;
    int ticks = 0;
    QStringList started;  // files in the order they started
    QList<int> startDeck;
    // Seconds left on the outgoing song when the next one started.
    double minLead = 1e9, maxLead = -1e9;
    // Seconds left on a song when the engine halted it.
    double minHalt = 1e9, maxHalt = -1e9;
    int halted = 0;
    int bothFull = 0;   // ticks that ended with both decks at full volume
    int playedOut = 0;  // songs that played to their very end instead of being faded
};

// The length of song i of a soak cue: short songs, 22 to 40 s.
inline double SoakSongSeconds(int i) {
    return 22 + (i * 37 % 1800) / 100.0;
}

// Cues the files on a loaded main window with an empty cue, arms the engine,
// plays the cue and ticks once after every second until the last song has
// been halted and a minute more has passed.
inline SoakFigures RunFadeSoak(form1& f, const QStringList& files, const std::function<void()>& passSecond) {
    SoakFigures r;
    r.songs = files.size();
    for (const QString& file : files) {
        const QFileInfo fi(file);
        f.lstPlaylist->AddRows({{"1", fi.fileName(), fi.path() + "/"}});
    }
    DeckControl* decks[3] = {nullptr, f.MP1, f.MP2};
    QMetaObject::Connection ends[3];
    for (int d = 1; d <= 2; ++d)
        ends[d] = QObject::connect(decks[d]->player(), &DeckPlayer::EndOfStream, [&r] { ++r.playedOut; });

    f.chkAutoFade->setChecked(true);
    f.chkAutoFade_Click();
    f.Command2_Click();
    r.started << f.MP1->FileName();
    r.startDeck << 1;

    for (int idleAfterLast = 0; idleAfterLast < 60 && r.ticks < 100000; ++r.ticks) {
        passSecond();
        QString file[3];
        int state[3];
        double left[3];
        for (int d = 1; d <= 2; ++d) {
            file[d] = decks[d]->FileName();
            state[d] = decks[d]->PlayState();
            left[d] = decks[d]->Duration() - decks[d]->CurrentPosition();
        }
        if (f.T1->isActive())
            f.T1_Timer();
        else if (f.T2->isActive())
            f.T2_Timer();
        for (int d = 1; d <= 2; ++d) {
            if (decks[d]->FileName() != file[d]) {
                r.started << decks[d]->FileName();
                r.startDeck << d;
                const double lead = left[d == 1 ? 2 : 1];
                r.minLead = std::min(r.minLead, lead);
                r.maxLead = std::max(r.maxLead, lead);
            }
            if (state[d] == DeckPlayer::Playing && decks[d]->PlayState() == DeckPlayer::Paused) {
                ++r.halted;
                r.minHalt = std::min(r.minHalt, left[d]);
                r.maxHalt = std::max(r.maxHalt, left[d]);
            }
        }
        if (decks[1]->Volume() == 0 && decks[2]->Volume() == 0) ++r.bothFull;
        if (r.halted + r.playedOut >= r.songs) ++idleAfterLast;
    }
    for (int d = 1; d <= 2; ++d) QObject::disconnect(ends[d]);
    return r;
}

// Whether the songs started in the given order, on alternating decks from deck 1.
inline bool InCueOrderOnAlternatingDecks(const SoakFigures& r, const QStringList& files) {
    if (r.started != files) return false;
    for (int i = 0; i < r.startDeck.size(); ++i)
        if (r.startDeck[i] != (i % 2 == 0 ? 1 : 2)) return false;
    return true;
}

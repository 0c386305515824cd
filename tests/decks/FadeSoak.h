#pragma once
// Plays a whole cue through the cross-fade engine over fake decks, a second
// at a time, and records what a listener would notice. Shared by the soak
// test and the soak benchmark.
#include <QStringList>
#include <algorithm>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/FakeDeckPlayer.h"

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

// A cue of short songs, 22 to 40 s long, for the soak.
inline double SoakSongSeconds(int i) {
    return 22 + (i * 37 % 1800) / 100.0;
}

// The form must be loaded over fake decks, with an empty cue.
inline SoakFigures RunFadeSoak(form1& f, int songs) {
    SoakFigures r;
    r.songs = songs;
    FakeDeckPlayer* decks[3] = {nullptr, FakeDeckPlayer::deckNo(1), FakeDeckPlayer::deckNo(2)};
    for (int i = 0; i < songs; ++i) {
        const QString name = QStringLiteral("song%1.wav").arg(i, 3, 10, QChar('0'));
        FakeDeckPlayer::durations()["/soak/" + name] = SoakSongSeconds(i);
        const int row = f.lstPlaylist->Add();
        f.lstPlaylist->SetSubItem(row, 1, name);
        f.lstPlaylist->SetSubItem(row, 2, "/soak/");
    }
    QMetaObject::Connection ends[3];
    for (int d = 1; d <= 2; ++d)
        ends[d] = QObject::connect(decks[d], &DeckPlayer::EndOfStream, [&r] { ++r.playedOut; });

    f.chkAutoFade->setChecked(true);
    f.chkAutoFade_Click();
    f.Command2_Click();
    r.started << decks[1]->FileName();
    r.startDeck << 1;

    int idleAfterLast = 0;
    while (idleAfterLast < 60 && r.ticks < 100000) {
        int opened[3], state[3];
        double left[3];
        for (int d = 1; d <= 2; ++d) {
            decks[d]->advance(1);
            opened[d] = decks[d]->opened.size();
            state[d] = decks[d]->PlayState();
            left[d] = decks[d]->Duration() - decks[d]->CurrentPosition();
        }
        if (f.T1->isActive())
            f.T1_Timer();
        else if (f.T2->isActive())
            f.T2_Timer();
        ++r.ticks;
        for (int d = 1; d <= 2; ++d) {
            if (decks[d]->opened.size() > opened[d]) {
                r.started << decks[d]->opened.last();
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
        if (r.halted + r.playedOut >= songs) ++idleAfterLast;
    }
    for (int d = 1; d <= 2; ++d) QObject::disconnect(ends[d]);
    return r;
}

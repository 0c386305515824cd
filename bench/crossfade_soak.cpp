// Plays a 200-song cue of short songs through the cross-fade engine over fake
// decks and prints what a listener would notice, with the time it took.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "decks/FadeSoak.h"
#include "support/TempApp.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    TempApp app;
    app.addSong("seed.mp3", "/music/");
    form1& f = Windows::Load<form1>();
    QElapsedTimer clock;
    clock.start();
    const SoakFigures r = RunFadeSoak(f, 200);
    const double ms = clock.nsecsElapsed() / 1e6;
    bool inOrder = r.started.size() == r.songs;
    for (int i = 0; inOrder && i < r.songs; ++i)
        inOrder = r.started[i].endsWith(QStringLiteral("song%1.wav").arg(i, 3, 10, QChar('0'))) &&
                  r.startDeck[i] == (i % 2 == 0 ? 1 : 2);
    std::printf("songs %d, started %lld, in cue order on alternating decks: %s\n", r.songs,
                static_cast<long long>(r.started.size()), inOrder ? "yes" : "no");
    std::printf("ticks (simulated seconds) %d, halted by the engine %d, played to the end %d\n", r.ticks,
                r.halted, r.playedOut);
    std::printf("next song started %.2f to %.2f s before the outgoing song's end\n", r.minLead, r.maxLead);
    std::printf("outgoing song halted %.2f to %.2f s before its end\n", r.minHalt, r.maxHalt);
    std::printf("ticks with both decks at 0 dB: %d\n", r.bothFull);
    std::printf("wall time %.1f ms (%.1f us per tick)\n", ms, 1000 * ms / r.ticks);
    return 0;
}

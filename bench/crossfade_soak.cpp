// Plays a 200-song cue of short songs through the cross-fade engine, first
// over fake decks, then through the audio engine rendering offline, and
// prints what a listener would notice with the time each run took.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

#include "app/decks/DeckFactory.h"
#include "app/decks/EngineDeckPlayer.h"
#include "audio/Engine.h"
#include "FadeSoak.h"
#include "support/TempApp.h"
#include "support/WavWriter.h"

namespace {

constexpr int kSongs = 200;

void report(const char* what, const SoakFigures& r, const QStringList& files, double ms) {
    std::printf("%s\n", what);
    std::printf("  songs %d, started %lld, in cue order on alternating decks: %s\n", r.songs,
                static_cast<long long>(r.started.size()),
                InCueOrderOnAlternatingDecks(r, files) ? "yes" : "no");
    std::printf("  ticks (seconds of playing) %d, halted by the engine %d, played to their end %d\n", r.ticks,
                r.halted, r.playedOut);
    std::printf("  next song started %.2f to %.2f s before the outgoing song's end\n", r.minLead, r.maxLead);
    std::printf("  outgoing song halted %.2f to %.2f s before its end\n", r.minHalt, r.maxHalt);
    std::printf("  ticks with both decks at 0 dB: %d\n", r.bothFull);
    std::printf("  wall time %.0f ms (%.1f us per tick)\n", ms, 1000 * ms / r.ticks);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    {
        TempApp app;
        QStringList files;
        for (int i = 0; i < kSongs; ++i) {
            files << QStringLiteral("/soak/song%1.wav").arg(i, 3, 10, QChar('0'));
            FakeDeckPlayer::durations()[files.last()] = SoakSongSeconds(i);
        }
        app.addSong("seed.wav", "/music/");
        form1& f = Windows::Load<form1>();
        QElapsedTimer clock;
        clock.start();
        const SoakFigures r = RunFadeSoak(f, files, [] {
            FakeDeckPlayer::deckNo(1)->advance(1);
            FakeDeckPlayer::deckNo(2)->advance(1);
        });
        report("fake decks", r, files, clock.nsecsElapsed() / 1e6);
    }
    {
        // Small files (8 kHz mono) keep 200 songs to about 100 MB on disk.
        constexpr int kRate = 8000;
        TempApp app;
        QStringList files;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kSongs; ++i) {
            files << app.path() + QStringLiteral("/song%1.wav").arg(i, 3, 10, QChar('0'));
            if (!WriteSineWav(files.last(), SoakSongSeconds(i), 200 + 5 * i, 0.5, kRate, 1)) return 1;
        }
        std::printf("writing %d songs: %.0f ms\n", kSongs, clock.nsecsElapsed() / 1e6);
        auto engine = std::make_shared<audio::Engine>(audio::Engine::Offline{kRate});
        SetDeckFactory([engine](int) { return std::make_unique<EngineDeckPlayer>(engine); });
        app.addSong("seed.wav", "/music/");
        form1& f = Windows::Load<form1>();
        auto* p1 = static_cast<EngineDeckPlayer*>(f.MP1->player());
        auto* p2 = static_cast<EngineDeckPlayer*>(f.MP2->player());
        std::vector<float> buf(2 * kRate / 100);
        clock.restart();
        const SoakFigures r = RunFadeSoak(f, files, [&] {
            for (int i = 0; i < 100; ++i) {
                engine->pump();
                engine->render(buf.data(), kRate / 100);
                p1->poll();
                p2->poll();
            }
        });
        report("audio engine, offline", r, files, clock.nsecsElapsed() / 1e6);
    }
    return 0;
}

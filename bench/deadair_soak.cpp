// Plays a 300-song cue through the cross-fade engine and the audio engine
// offline: songs of random lengths from 1 to 60 s, one in twenty broken
// (empty, missing or not audio). Prints how long the air was silent while
// songs waited, whether the good songs played once each in cue order, and
// the time the run took.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <cstdio>
#include <random>

#include "support/OfflineShow.h"
#include "support/TempApp.h"
#include "support/WavWriter.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    constexpr int kSongs = 300, kRate = 8000;
    TempApp app;
    std::mt19937 rng(20261206);
    QStringList files, good;
    double seconds = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kSongs; ++i) {
        const QString file = app.path() + QString("/song%1").arg(i, 3, 10, QChar('0'));
        if (rng() % 20 == 0) {
            const int kind = int(rng() % 3);
            files << file + ".mp3";
            QFile f(files.last());
            if (kind == 1) continue;  // missing
            f.open(QIODevice::WriteOnly);
            if (kind == 2) f.write(QByteArray("not audio ").repeated(500));
            continue;
        }
        const double length = 1 + (rng() % 5900) / 100.0;
        files << file + ".wav";
        good << files.last();
        seconds += length;
        if (!WriteSineWav(files.last(), length, 200 + i, 0.5, kRate, 1)) return 1;
    }
    std::printf("writing %d songs (%lld good, %.0f s of music): %.0f ms\n", kSongs,
                static_cast<long long>(good.size()), seconds, clock.nsecsElapsed() / 1e6);

    OfflineShow show(app, kRate);
    clock.restart();
    show.start(files);
    show.runToEnd(seconds + 600);
    const double ms = clock.nsecsElapsed() / 1e6;

    // Out of order: a good song that started before one ahead of it in the cue.
    int outOfOrder = 0, twice = 0;
    QSet<QString> seen;
    for (int i = 0; i < show.started.size(); ++i) {
        if (seen.contains(show.started[i])) ++twice;
        seen.insert(show.started[i]);
        if (i > 0 && good.indexOf(show.started[i]) < good.indexOf(show.started[i - 1])) ++outOfOrder;
    }
    int skipped = 0;
    for (const QString& g : good) skipped += seen.contains(g) ? 0 : 1;
    int wrongLabel = 0;
    for (int i = 0; i < show.started.size(); ++i)
        wrongLabel += show.labels[i] == show.started[i].section('/', -1) ? 0 : 1;
    std::printf(
        "songs started %lld of %lld good; out of order %d, twice %d, skipped while playable %d, "
        "wrong label %d\n",
        static_cast<long long>(show.started.size()), static_cast<long long>(good.size()), outOfOrder, twice,
        skipped, wrongLabel);
    std::printf("silence while songs waited: longest %.2f s, total %.2f s over %.0f s of output\n",
                show.longestSilence, show.totalSilence, show.frames / double(kRate));
    std::printf("run time %.0f ms (%.1f us per second of output)\n", ms,
                1000 * ms / (show.frames / double(kRate)));
    return 0;
}

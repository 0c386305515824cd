// Prints what the cue's playing time costs the window for a cue of 10,000
// songs (or the count given): the time the window thread spends summing the
// cue after a change, and how long the reader thread takes to read every
// length from cold and to check every file again once they are known.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "app/CueTime.h"
#include "support/WavWriter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    // A few real files named many times over: the reader still opens each name.
    QStringList files;
    for (int i = 0; i < 20; ++i) WriteSineWav(dir.path() + QStringLiteral("/%1.wav").arg(i), 1 + i, 440);
    for (int i = 0; i < n; ++i) {
        const QString link = dir.path() + QStringLiteral("/s%1.wav").arg(i);
        QFile::link(dir.path() + QStringLiteral("/%1.wav").arg(i % 20), link);
        files << link;
    }
    CueTime cue;
    QElapsedTimer t;
    t.start();
    CueTime::Total total = cue.Sum(files);
    const double firstSum = t.nsecsElapsed() / 1e6;
    t.restart();
    cue.WaitIdle();
    const double cold = t.nsecsElapsed() / 1e6;
    t.restart();
    total = cue.Sum(files);
    const double warmSum = t.nsecsElapsed() / 1e6;
    t.restart();
    cue.WaitIdle();
    const double check = t.nsecsElapsed() / 1e6;
    std::printf(
        "songs %d: window thread per sum %.1f ms (cold), %.1f ms (warm); reader %.0f ms cold, %.0f ms to "
        "re-check; total %.0f s, %d unknown\n",
        n, firstSum, warmSum, cold, check, total.seconds, total.unknown);
}

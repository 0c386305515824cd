#pragma once
// What the benchmark programs share: the start of a run over a temporary
// library, the clocks and figures they print, and a library filled with
// made-up songs.
#include <QApplication>
#include <QFile>
#include <QSqlQuery>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include "app/Module1.h"
#include "support/TempApp.h"

namespace bench {

// Widgets off screen, so a run needs no display.
inline void offscreen() {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// How many songs (or entries) a run works on: the first argument, else `fallback`.
inline int countArg(int argc, char** argv, int fallback) {
    return argc > 1 ? std::atoi(argv[1]) : fallback;
}

// Processor time of the calling thread in ms: on a busy machine it stays what
// the work costs while the wall-clock time grows with the others' share.
inline double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A field of /proc/self/status ("VmRSS", "VmHWM") in MB.
inline double statusMb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Adds `songs` rows to the library in one transaction; `bind` binds the
// values of row i in the order of the statement's columns.
inline void insertSongs(int songs, const std::function<void(QSqlQuery&, int)>& bind) {
    QSqlDatabase db = Module1::cnLibrary.database();
    db.transaction();
    QSqlQuery q(db);
    q.prepare(
        "INSERT INTO songs (artist, path, title, artist2, album, year, comment, genre) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < songs; ++i) {
        bind(q, i);
        q.exec();
    }
    db.commit();
}

}  // namespace bench

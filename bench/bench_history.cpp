// Prints how long the "Play History" window takes to list a day when the
// history holds 100,000 songs (or the count given), and what recording one
// song costs: the row written at its start plus its completion at its stop.
// Figures are medians of several runs.
#include <QElapsedTimer>
#include <cstdio>

#include "app/PlayHistory.h"
#include "app/PlayHistoryWindow.h"
#include "bench/BenchSupport.h"

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        QApplication::processEvents();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return bench::median(std::move(ms));
}

}  // namespace

int main(int argc, char** argv) {
    bench::offscreen();
    QApplication qapp(argc, argv);
    const int entries = bench::countArg(argc, argv, 100000);
    TempApp app;
    // A song every few minutes around the clock, over as many days as that takes.
    const QDateTime first(QDate(2025, 1, 1), QTime(0, 0));
    PlayHistory::Finish(PlayHistory::Begin({"first.mp3", "/m/"}, 1, first), 1);  // makes the table
    QSqlDatabase db = Module1::cnLibrary.database();
    db.transaction();
    QSqlQuery q(db);
    q.prepare(
        "INSERT INTO play_history (started, seconds, file, folder, artist, title, album, deck) "
        "VALUES (?, 200, ?, '/music/folder/', 'Artist', 'Title', 'Album', 1)");
    for (int i = 1; i < entries; ++i) {
        q.addBindValue(first.addSecs(qint64(i) * 210).toString("yyyy-MM-ddTHH:mm:ss.zzz"));
        q.addBindValue(QString("song %1.mp3").arg(i % 5000));
        q.exec();
    }
    db.commit();

    auto& w = Windows::Show<PlayHistoryWindow>();
    const double open = medianMs(5, [&] { w.FillDays(); });
    int day = 0;
    const double pick = medianMs(9, [&] {
        w.lstDays->clearSelection();
        w.lstDays->setCurrentRow((day += 37) % w.lstDays->count());
    });
    std::printf("history of %d songs over %d days, %d songs a day\n", entries, int(w.lstDays->count()),
                int(w.lstSongs->Count()));
    std::printf("window lists its days and the newest day: %.1f ms (goal: 200 ms)\n", open);
    std::printf("window lists another day: %.1f ms (goal: 200 ms)\n", pick);
    const double write = medianMs(101, [] {
        PlayHistory::Finish(PlayHistory::Begin({"song.mp3", "/music/"}, 2, QDateTime::currentDateTime()),
                            180);
    });
    std::printf("recording one song (start row and its completion): %.2f ms, on the window's thread\n",
                write);
    UnloadAllWindows();
    return 0;
}

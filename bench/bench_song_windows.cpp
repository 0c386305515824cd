// Prints how long the master song list and the tag window's "List All" take
// to show their first rows for a large library (200,000 songs by default),
// and the memory the program holds with both windows open.
#include <QElapsedTimer>
#include <QHeaderView>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "windows/formlist.h"
#include "windows/id3search.h"

namespace {

void fillLibrary(int songs) {
    bench::insertSongs(songs, [songs](QSqlQuery& q, int i) {
        q.addBindValue(QStringLiteral("song %1.mp3").arg((i * 7919) % songs, 6, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("/home/dj/Music/Artist %1/Album %2/").arg(i % 500).arg(i % 5000));
        q.addBindValue(QStringLiteral("Title %1").arg(i));
        q.addBindValue(QStringLiteral("Artist %1").arg(i % 500));
        q.addBindValue(QStringLiteral("Album %1").arg(i % 5000));
        q.addBindValue(QString::number(1960 + i % 60));
        q.addBindValue(QStringLiteral("Comment"));
        q.addBindValue(QStringLiteral("Rock"));
    });
}

// Paints the window at once, as the user first sees it; the time since t
// started, and the window thread's processor time since cpu0.
QString shownAfter(const QElapsedTimer& t, double cpu0, QWidget& w) {
    w.repaint();
    return QStringLiteral("%1 ms (goal <= 200 ms; processor %2 ms)")
        .arg(t.nsecsElapsed() / 1e6, 0, 'f', 0)
        .arg(bench::threadCpuMs() - cpu0, 0, 'f', 0);
}

}  // namespace

int main(int argc, char** argv) {
    bench::offscreen();
    QApplication qapp(argc, argv);
    const int songs = bench::countArg(argc, argv, 200000);
    TempApp app;
    fillLibrary(songs);
    const double baseMb = bench::statusMb("VmRSS");

    QElapsedTimer t;
    t.start();
    Module1::rsLibrary.Open("Select * FROM songs order by artist", Module1::cnLibrary);
    int walked = 0;
    for (; !Module1::rsLibrary.EOF_(); Module1::rsLibrary.MoveNext()) ++walked;
    Module1::rsLibrary.Close();
    std::printf("recordset walk (for comparison), %d songs: %.0f ms\n", walked, t.nsecsElapsed() / 1e6);

    t.restart();
    double cpu0 = bench::threadCpuMs();
    formlist& list = Windows::Show<formlist>();
    const QString listShown = shownAfter(t, cpu0, list);
    std::printf("master list, first rows shown: %s for %d songs; top: %s\n", qPrintable(listShown),
                list.ListCount(), qPrintable(list.List(0)));

    id3search& tags = Windows::Show<id3search>();
    t.restart();
    cpu0 = bench::threadCpuMs();
    tags.cmdListAll_Click();
    const QString tagShown = shownAfter(t, cpu0, tags);
    std::printf("tag window List All, first rows shown: %s for %d songs; top: %s\n", qPrintable(tagShown),
                tags.lstresults->Count(), qPrintable(tags.lstresults->SubItem(1, 7)));

    // The rest of both listings, read behind the first rows.
    t.restart();
    const QString last =
        list.List(list.ListCount() - 1) + tags.lstresults->SubItem(tags.lstresults->Count(), 7);
    std::printf("both listings read to their last rows %.0f ms later (%d characters)\n",
                t.nsecsElapsed() / 1e6, int(last.size()));
    std::printf(
        "memory with both windows open: RSS %.0f MB, peak %.0f MB (goal <= 150 MB); "
        "before opening them %.0f MB\n",
        bench::statusMb("VmRSS"), bench::statusMb("VmHWM"), baseMb);
    // Header clicks over every song: by title, then by the song's name the other way round.
    for (int column : {2, 0, 0}) {
        t.restart();
        cpu0 = bench::threadCpuMs();
        emit list.lstShowSongs->header()->sectionClicked(column);
        std::printf("master list sorted by %s: %.0f ms (processor %.0f ms); top: %s\n",
                    qPrintable(list.lstShowSongs->model()->headerData(column, Qt::Horizontal).toString()),
                    t.nsecsElapsed() / 1e6, bench::threadCpuMs() - cpu0, qPrintable(list.List(0)));
    }
    std::printf("memory after sorting: RSS %.0f MB, peak %.0f MB\n", bench::statusMb("VmRSS"),
                bench::statusMb("VmHWM"));
    return 0;
}

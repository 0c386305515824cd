// Prints how long the main window's search, "Add All From Search" and the
// auto-recover write take on a large library (200,000 songs by default).
// Each figure is the median of several runs and includes the event-loop
// turn that brings the lists up to date on screen.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/ListOptions.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "bench/BenchSupport.h"
#include "library/ListFile.h"
#include "support/TempApp.h"

namespace {

struct Figure {
    double wallMs;  // median over the runs
    double cpuMs;   // median processor time of this thread: what a busy machine cannot inflate
};

Figure measure(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QApplication::processEvents();
        QElapsedTimer t;
        const double c0 = bench::threadCpuMs();
        t.start();
        work();
        QApplication::processEvents();
        wall.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(bench::threadCpuMs() - c0);
    }
    return {bench::median(std::move(wall)), bench::median(std::move(cpu))};
}

void print(const char* what, const Figure& f, const char* goal) {
    std::printf("%s: %.1f ms wall, %.1f ms cpu%s\n", what, f.wallMs, f.cpuMs, goal);
}

void fillLibrary(int songs, int needles) {
    QSqlDatabase db = Module1::cnLibrary.database();
    db.transaction();
    QSqlQuery q(db);
    q.prepare("INSERT INTO songs (artist, path, title, artist2, album) VALUES (?, ?, ?, ?, ?)");
    const int every = std::max(1, songs / std::max(1, needles));
    for (int i = 0; i < songs; ++i) {
        const bool needle = i % every == 0 && i / every < needles;
        q.addBindValue(QStringLiteral("Artist %1 - %2 Title %3.mp3")
                           .arg(i % 977)
                           .arg(needle ? QStringLiteral("Needle") : QStringLiteral("Song"))
                           .arg(i));
        q.addBindValue(QStringLiteral("/music/folder %1/").arg(i % 500));
        // Tags as a tagged collection has them, none holding the needle.
        q.addBindValue(QStringLiteral("Title %1").arg(i));
        q.addBindValue(QStringLiteral("Artist %1").arg(i % 977));
        q.addBindValue(QStringLiteral("Album %1 of the Year").arg(i % 3001));
        q.exec();
    }
    db.commit();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int songs = argc > 1 ? std::atoi(argv[1]) : 200000;
    {
        TempApp app;
        fillLibrary(songs, 2000);
        form1& f = Windows::Show<form1>();
        QApplication::processEvents();
        char what[160];

        auto search = [&](const QString& text) {
            f.txtSearch->setText(text);
            f.Command1_Click();
        };
        auto clearResults = [&] { f.Command4_Click(); };
        Options::Set(Options::SearchTagsToo, false);
        Figure few = measure(7, clearResults, [&] { search("needle"); });
        std::snprintf(what, sizeof what, "search, %d hits of %d songs, shown", f.lstresults->Count(), songs);
        print(what, few, " (goal 50)");
        Options::Set(Options::SearchTagsToo, true);
        Figure tags = measure(7, clearResults, [&] { search("needle"); });
        std::snprintf(what, sizeof what, "  the same with Search Tags Too, %d hits", f.lstresults->Count());
        print(what, tags, " (goal 20)");
        // A change to the library makes the next search read the copy in memory again.
        Figure first = measure(
            5,
            [&] {
                clearResults();
                Module1::cnLibrary.Execute("UPDATE songs SET year = '1999' WHERE rowid = 1");
            },
            [&] { search("needle"); });
        std::snprintf(what, sizeof what,
                      "  its first run after a change (reads the %.0f MB copy of %d songs)",
                      f.songSearch_.Bytes() / 1e6, f.songSearch_.Songs());
        print(what, first, "");
        // Where the time goes: the engine's scan alone, then the recordset walk.
        print("  the statement alone (count)",
              measure(
                  5, [] {},
                  [] {
                      QSqlQuery q(Module1::cnLibrary.database());
                      q.exec("SELECT count(*) FROM songs WHERE artist like '%needle%'");
                      q.next();
                  }),
              "");
        print("  the statement walked through the recordset",
              measure(
                  5, [] {},
                  [] {
                      Module1::rsLibrary.Open("SELECT * FROM songs WHERE artist like '%needle%'",
                                              Module1::cnLibrary);
                      while (!Module1::rsLibrary.EOF_()) Module1::rsLibrary.MoveNext();
                      Module1::rsLibrary.Close();
                  }),
              "");

        Figure all = measure(5, clearResults, [&] { search(".mp3"); });
        std::snprintf(what, sizeof what, "search, %d hits, shown", f.lstresults->Count());
        print(what, all, " (goal 1000)");

        f.lstresults->SetSelected(1, true);
        Figure sorted = measure(
            5, [] {}, [&] { emit f.lstresults->header()->sectionClicked(4); });
        std::snprintf(what, sizeof what, "  sorted by a header click on Title, %d results",
                      f.lstresults->Count());
        print(what, sorted, "");

        Figure addAll = measure(
            5, [&] { f.Command3_Click(); }, [&] { f.Command7_Click(); });
        std::snprintf(what, sizeof what, "Add All From Search, %d results, shown", f.lstPlaylist->Count());
        print(what, addAll, " (goal 1000)");

        QVector<QStringList> rows;
        for (int i = 0; i < 10000; ++i)
            rows.append({"1", QStringLiteral("Artist %1 - Song Title %1.mp3").arg(i),
                         QStringLiteral("/music/folder %1/").arg(i % 500)});
        auto fillCue = [&] {
            f.lstPlaylist->Clear();
            f.lstPlaylist->AddRows(rows);
            for (int i = 1; i <= rows.size(); i += 3) f.lstPlaylist->SetSelected(i, true);
        };
        Figure save = measure(9, fillCue, [] { Module1::SaveAutoRecover(); });
        std::snprintf(what, sizeof what, "SaveAutoRecover, %d rows, shown", f.lstPlaylist->Count());
        print(what, save, " (goal 20)");
        QByteArray bytes;
        for (const QStringList& r : rows) bytes += ListFile::Record(r[2] + ListFile::kSeparator + r[1]);
        std::snprintf(what, sizeof what, "  replacing the file alone (%lld bytes, synced to disk)",
                      static_cast<long long>(bytes.size()));
        print(what,
              measure(
                  9, [] {}, [&] { ListFile::WriteAtomically(Module1::AutoRecoverFile(), bytes); }),
              "");
        UnloadAllWindows();
    }
    return 0;
}

// Prints how long start-up takes to show the main window over a large
// library (200,000 songs, no rescan, the decks on the audio engine), and how
// long a search by name takes at the recordset level, with the engine's own
// ASCII-only LIKE beside it.
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Module1.h"
#include "app/decks/DeckFactory.h"
#include "app/form1.h"
#include "bench/BenchSupport.h"

namespace {

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

double best(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// About one name in a hundred holds "Björk" in some letter case; one in
// twenty holds other non-ASCII letters. Half the songs carry tags, padded to
// their full width as the scanner stores them.
void fill(int songs) {
    const QVariant none(QMetaType::fromType<QString>());
    const char* const special[] = {"Björk", "BJÖRK", "björk"};
    bench::insertSongs(songs, [&](QSqlQuery& q, int i) {
        const int k = (i * 7919) % songs;
        QString name;
        if (k % 100 == 7)
            name = QString::fromUtf8("%1 - Army of Me %2.mp3").arg(QString::fromUtf8(special[k % 3])).arg(k);
        else if (k % 20 == 3)
            name = QString::fromUtf8("Mötley Crüe - Track %1.mp3").arg(k);
        else
            name = QStringLiteral("Artist %1 - Some Song Title %2.mp3").arg(k % 977).arg(k);
        q.addBindValue(name);
        q.addBindValue(QStringLiteral("/music/folder %1/").arg(i % 500));
        const bool tagged = i % 2 == 0;
        for (const char* tag : {"Some Song Title", "Some Artist", "Some Album"})
            q.addBindValue(tagged ? QVariant(QStringLiteral("%1 %2").arg(tag).arg(k).leftJustified(30))
                                  : none);
        q.addBindValue(tagged ? QVariant(QStringLiteral("1999")) : none);
        q.addBindValue(tagged ? QVariant(QString(30, QLatin1Char(' '))) : none);
        q.addBindValue(tagged ? QVariant(QStringLiteral("Rock")) : none);
    });
}

// Opens the search statement on a recordset and walks every hit, as the search does.
int walk(Recordset& rs, Connection& cn, const QString& text) {
    rs.Open("SELECT * FROM songs WHERE artist like '%" + Module1::SqlQuote(text).toString() + "%'", cn);
    int n = 0;
    for (; !rs.EOF_(); rs.MoveNext()) {
        (void)rs.Fields("artist");
        (void)rs.Fields("path");
        ++n;
    }
    rs.Close();
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    bench::offscreen();
    QElapsedTimer appTimer;
    appTimer.start();
    QApplication qapp(argc, argv);
    const double appMs = ms(appTimer);
    QApplication::setQuitOnLastWindowClosed(false);
    const int songs = bench::countArg(argc, argv, 200000);
    const int runs = 7;
    {
        TempApp app;
        fill(songs);
        // Start-up makes the real decks on the audio engine, as the program does.
        if (qgetenv("SDL_AUDIODRIVER").isEmpty()) qputenv("SDL_AUDIODRIVER", "dummy");
        SetDeckFactory({});
        app.exec("UPDATE settings SET ext1='NO', ext2='1', autosave='NO'");
        Module1::ResetState();

        std::vector<double> startup, painted;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            if (Module1::Main() != 0) {
                std::printf("start-up failed\n");
                return 1;
            }
            startup.push_back(ms(t));
            QApplication::processEvents();  // the first paint
            painted.push_back(ms(t));
            if (!app.ui.messages.isEmpty()) std::printf("unexpected prompt at start-up\n");
            UnloadAllWindows();
            Module1::ResetState();
        }
        std::printf(
            "start-up to the shown main window, %d songs, no rescan: first %.1f ms, then best "
            "%.1f / median %.1f ms (with the first paint: median %.1f ms)\n",
            songs, startup.front(), best(startup), bench::median(startup), bench::median(painted));
        std::printf("  before that, making the application object took %.1f ms\n", appMs);

        Module1::cnLibrary.ConnectionString = Module1::LibraryConnectionString(app.path());
        Module1::cnLibrary.Open();
        // The same library through a bare connection: the engine's own LIKE, ASCII case only.
        Connection plain;
        plain.ConnectionString = Module1::cnLibrary.ConnectionString;
        plain.Open();
        {
            QSqlDatabase db = plain.database();
            db.close();
            db.setConnectOptions(QString());
            db.setDatabaseName(app.libraryFile());
            db.open();
        }
        // Wall time suffers from whatever else runs on the machine; the thread's
        // CPU time shows what the work itself costs.
        struct Times {
            std::vector<double> wall, cpu;
            QString text() const {
                return QString::asprintf("best %.1f / median %.1f ms (CPU %.1f ms)", best(wall),
                                         bench::median(wall), best(cpu));
            }
        };
        auto measure = [&](auto&& work) {
            Times t;
            for (int r = 0; r < runs; ++r) {
                QElapsedTimer w;
                const double c = bench::threadCpuMs();
                w.start();
                work();
                t.wall.push_back(ms(w));
                t.cpu.push_back(bench::threadCpuMs() - c);
            }
            return t;
        };
        {
            // The floor: the engine reading every row, matching nothing.
            QSqlQuery q(Module1::cnLibrary.database());
            const Times t = measure([&] {
                q.exec("SELECT * FROM songs WHERE length(artist) < 0");
                while (q.next()) {
                }
            });
            std::printf("reading all %d rows, no hits: %s\n", songs, qPrintable(t.text()));
        }
        for (const char* text : {"BJÖRK", "army of me", "bj_rk"}) {
            const QString s = QString::fromUtf8(text);
            int hits = 0, builtinHits = 0;
            const Times ours = measure([&] { hits = walk(Module1::rsLibrary, Module1::cnLibrary, s); });
            Recordset rs;
            const Times builtin = measure([&] { builtinHits = walk(rs, plain, s); });
            std::printf(
                "search \"%s\" over %d songs: %d hits, %s\n  the engine's ASCII-only LIKE: %d hits, %s\n",
                text, songs, hits, qPrintable(ours.text()), builtinHits, qPrintable(builtin.text()));
        }
    }
    return 0;
}

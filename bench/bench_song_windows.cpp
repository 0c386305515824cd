// Prints how long the master song list and the tag window take to list a
// large library (200,000 songs).
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <cstdio>

#include "app/Module1.h"
#include "support/TempApp.h"
#include "windows/formlist.h"
#include "windows/id3search.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int songs = argc > 1 ? std::atoi(argv[1]) : 200000;
    double listMs = 0, tagMs = 0;
    int listed = 0, tagged = 0;
    {
        TempApp app;
        QSqlDatabase db = Module1::cnLibrary.database();
        db.transaction();
        QSqlQuery q(db);
        q.prepare("INSERT INTO songs (artist, path, title) VALUES (?, ?, ?)");
        for (int i = 0; i < songs; ++i) {
            q.addBindValue(QStringLiteral("song %1.mp3").arg((i * 7919) % songs, 6, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("/music/folder %1/").arg(i % 500));
            q.addBindValue(QStringLiteral("Title %1").arg(i));
            q.exec();
        }
        db.commit();

        QElapsedTimer t;
        t.start();
        {
            Module1::rsLibrary.Open("Select * FROM songs order by artist", Module1::cnLibrary);
            int n = 0;
            while (!Module1::rsLibrary.EOF_()) {
                ++n;
                Module1::rsLibrary.MoveNext();
            }
            Module1::rsLibrary.Close();
            std::printf("recordset walk only, %d songs: %.0f ms\n", n, t.nsecsElapsed() / 1e6);
        }
        t.restart();
        listed = Windows::Load<formlist>().ListCount();
        listMs = t.nsecsElapsed() / 1e6;

        id3search& w = Windows::Load<id3search>();
        t.restart();
        w.cmdListAll_Click();
        tagMs = t.nsecsElapsed() / 1e6;
        tagged = w.lstresults->Count();
    }
    std::printf("master list load, %d songs: %.0f ms\n", listed, listMs);
    std::printf("tag window List All, %d songs: %.0f ms\n", tagged, tagMs);
    return 0;
}

// The show that runs by itself: it keeps playing from the library when the
// cue runs out, starts on its own, and the history records what was heard.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/KeepPlaying.h"
#include "app/PlayHistory.h"
#include "app/StartOptions.h"
#include "support/CueFixture.h"
#include "support/OfflineShow.h"
#include "support/WavWriter.h"

namespace {

const QDateTime kEvening(QDate(2026, 5, 1), QTime(21, 0));

// A library of ten "artists", four songs each: the artist is the tag's for
// even songs and the folder's for odd ones.
QVector<KeepPlaying::Candidate> library(int songs) {
    QVector<KeepPlaying::Candidate> out;
    for (int i = 0; i < songs; ++i)
        out.append(
            {{QString("s%1.wav").arg(i), QString("/a%1/").arg(i % 10)}, QString("artist%1").arg(i % 10)});
    return out;
}

}  // namespace

// What each rule leaves, and how they give way one at a time: first the
// artist, then the time (the song heard longest ago); a file that failed is
// never chosen, and with nothing else there is no song at all.
TEST(KeepPlayingChoice, RulesGiveWayOneAtATime) {
    const auto lib = library(3);  // s0 by artist0, s1 by artist1, s2 by artist2
    const auto heard = [&](int song, int minutesAgo) {
        return KeepPlaying::Heard{lib[song].song.file(), lib[song].artist,
                                  kEvening.addSecs(-60 * minutesAgo)};
    };
    struct Case {
        const char* name;
        QVector<KeepPlaying::Heard> recent;  // newest first
        QSet<QString> failed;
        int expected;
    };
    const QString s2 = lib[2].song.file();
    const Case cases[] = {
        {"not heard, other artist", {heard(0, 5), heard(1, 10)}, {}, 2},
        {"heard over two hours ago counts as fresh", {heard(0, 5), heard(1, 10), heard(2, 121)}, {}, 2},
        {"artist among the last five", {heard(1, 5)}, {s2, lib[0].song.file()}, 1},
        {"the time rule gives way last: heard longest ago", {heard(0, 5), heard(2, 10), heard(1, 20)}, {}, 1},
        {"a failed file never, even heard longest ago", {heard(0, 5), heard(1, 10), heard(2, 20)}, {s2}, 1},
        {"every file failed", {}, {s2, lib[0].song.file(), lib[1].song.file()}, -1},
    };
    for (const Case& c : cases) {
        std::mt19937 rng(1);
        EXPECT_EQ(KeepPlaying::Choose(lib, c.recent, c.failed, kEvening, rng), c.expected) << c.name;
    }
    // The artist rule reaches five songs back, not six.
    QVector<KeepPlaying::Heard> six;
    const auto many = library(16);
    for (int i = 0; i < 6; ++i) six.append({many[i].song.file(), many[i].artist, kEvening.addSecs(-60 * i)});
    std::mt19937 rng(3);
    QSet<int> chosen;
    for (int k = 0; k < 200; ++k) chosen.insert(KeepPlaying::Choose(many, six, {}, kEvening, rng));
    EXPECT_EQ(chosen, QSet<int>({6, 7, 8, 9, 15}));  // 15 is by the sixth artist back
}

// A cue of three over a library of forty tone songs by ten artists, thirty
// minutes of show through the real engine: no dead air, no song twice, no
// artist within five songs of itself, and a history row for every song heard,
// in order, with the time it was heard.
TEST(KeepPlayingShow, ThirtyMinutesFromThreeSongsWithoutSilenceRepeatsOrSameArtist) {
    constexpr int kRate = 8000;
    TempApp app;
    OfflineShow show(app, kRate);
    app.exec("DELETE FROM songs");
    QHash<QString, QString> artistOf;
    for (int i = 0; i < 40; ++i) {
        const QString folder = app.path() + QString("/a%1/").arg(i % 10), name = QString("s%1.wav").arg(i);
        QDir().mkpath(folder);
        ASSERT_TRUE(WriteSineWav(folder + name, 80 + i % 7, 200 + 10 * i, 0.5, kRate, 1));
        app.addSong(name, folder);
        // Half the songs carry the artist in their tag; the others go by their folder.
        if (i % 2)
            app.exec(QString("UPDATE songs SET artist2='Artist %1' WHERE artist='%2'").arg(i % 10).arg(name));
        artistOf.insert(folder + name, QString::number(i % 10));
    }
    Options::Set(KeepPlaying::kKeepPlaying, true);
    show.f->keepPlaying.Seed(26);
    show.f->history->SetClock(
        {[&] { return show.seconds(); }, [&] { return kEvening.addMSecs(qint64(show.seconds() * 1000)); }});
    const QString a = app.path() + "/a";
    show.start({a + "0/s0.wav", a + "1/s1.wav", a + "2/s2.wav"});
    show.run(30 * 60);
    Options::Set(KeepPlaying::kKeepPlaying, false);

    EXPECT_LT(show.longestSilence, 1.0);
    EXPECT_GT(show.started.size(), 20);
    EXPECT_EQ(QSet<QString>(show.started.begin(), show.started.end()).size(), show.started.size());
    for (int i = 3; i < show.started.size(); ++i)
        for (int back = 1; back <= 5 && back <= i; ++back)
            EXPECT_NE(artistOf.value(show.started[i]), artistOf.value(show.started[i - back]))
                << i << " " << back;
    const QVector<HistoryEntry> rows = PlayHistory::Between(kEvening.date(), kEvening.date());
    ASSERT_EQ(rows.size(), show.runs.size());
    for (int i = 0; i < rows.size(); ++i) {
        const OfflineShow::Run& r = show.runs[i];
        EXPECT_EQ(std::make_pair(rows[i].song().file(), rows[i].deck), std::make_pair(r.file, r.deck)) << i;
        EXPECT_NEAR(rows[i].started.msecsTo(kEvening.addMSecs(qint64(r.from * 1000))), 0, 100) << i;
        EXPECT_NEAR(rows[i].seconds, r.to < 0 ? -1 : r.to - r.from, 0.1) << i;  // -1: still on air
    }
}

// A start-up that brings back a cue plays it at once with the auto fade, when asked to.
TEST_F(CueTest, PlayOnStartPlaysTheCueBroughtBack) {
    app.exec("UPDATE settings SET autosave='YES'");
    for (bool on : {false, true}) {
        fill(f->lstPlaylist, {"A.mp3", "B.mp3"});
        Module1::SaveAutoRecover();
        Options::Set(StartOptions::kPlayOnStart, on);
        restart();
        EXPECT_EQ(
            std::make_tuple(f->chkAutoFade->isChecked(), f->T1->isActive(), f->lblD1->text(), cue().size()),
            on ? std::make_tuple(true, true, QString("A.mp3"), 1)
               : std::make_tuple(false, false, QString("Currently Playing"), 2));
    }
    Options::Set(StartOptions::kPlayOnStart, false);
}

// The entry the desktop starts at login names this program, however odd its
// path, and passes the desktop's own validator; the item adds and removes it.
TEST_F(CueTest, StartAtLoginWritesAValidAutostartEntry) {
    const QString program = app.path() + "/My \"DJ\" $set 100%/velumix";
    const QString entry = app.path() + "/entry.desktop";
    ASSERT_TRUE(ListFile::WriteAtomically(entry, StartOptions::AutostartEntry(program)));
    QProcess validate;
    validate.start("desktop-file-validate", {entry});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
    EXPECT_TRUE(StartOptions::AutostartEntry(program).contains(R"(Exec="/)" + app.path().mid(1).toUtf8() +
                                                               R"(/My \\"DJ\\" \\$set 100%%/velumix")"));

    EXPECT_FALSE(f->mnuStartAtLogin->isChecked());
    f->mnuStartAtLogin->trigger();
    EXPECT_TRUE(f->mnuStartAtLogin->isChecked() && QFile::exists(StartOptions::AutostartFile()));
    f->mnuStartAtLogin->trigger();
    EXPECT_FALSE(f->mnuStartAtLogin->isChecked() || QFile::exists(StartOptions::AutostartFile()));
}

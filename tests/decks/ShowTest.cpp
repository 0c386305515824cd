// Shows as a listener hears them, through the audio engine offline: a fade's
// levels tone by tone, a cue of short and broken songs that must never leave
// the air silent, and the show that runs by itself (it keeps playing from the
// library when the cue runs out, starts on its own, and the history records
// what was heard).
#include <QProcess>
#include <cmath>
#include <tuple>

#include "app/KeepPlaying.h"
#include "app/PlayHistory.h"
#include "app/StartOptions.h"
#include "app/decks/SoundOptions.h"
#include "support/AudioRender.h"
#include "support/CueFixture.h"
#include "support/OfflineShow.h"
#include "support/WavWriter.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSongSeconds = 30.5;
constexpr double kAmplitude = 0.5;

struct Song {
    const char* name;
    double hz;  // whole cycles in every measuring window below
};
const Song kSongs[] = {{"A.wav", 400}, {"B.wav", 600}, {"C.wav", 1000}};

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

class FadeSound : public ::testing::Test {
  protected:
    // Level of a tone in the left channel over [from, from + seconds), in dB of the song's own level.
    double level(double hz, double from, double seconds) const {
        const long a = std::lround(from * kRate);
        const long n = std::min(std::lround(seconds * kRate), long(show->left.size()) - a);
        const double amplitude = n > 0 ? ToneAmplitude(show->left.data() + a, 1, kRate, hz, n) : 0;
        return 20 * std::log10(std::max(amplitude, 1e-9) / kAmplitude);
    }
    // Level heard through the second after the tick at `tick` seconds, once the gain ramp settled.
    double afterTick(const Song& s, int tick) const { return level(s.hz, tick + 0.2, 0.7); }
    // Start of the first 50 ms window from `from` on whose level is above (or below) `dB`.
    double firstWhere(const Song& s, double from, double dB, bool above) const {
        for (double t = from; t < show->left.size() / double(kRate); t += 0.05)
            if ((level(s.hz, t, 0.05) > dB) == above) return t;
        return -1;
    }
    QString song(const QString& name, double seconds, double hz, int rate = kRate) const {
        const QString file = app.path() + "/" + name;
        EXPECT_TRUE(WriteSineWav(file, seconds, hz, kAmplitude, rate, rate == kRate ? 2 : 1));
        return file;
    }

    TempApp app;
    std::unique_ptr<OfflineShow> show;
};

// Three songs through the fade engine: the first fade in steps, the second smooth.
TEST_F(FadeSound, DecksCrossFadeInThreeAndFourDecibelStepsOrGlide) {
    Options::Set(SoundOptions::kSmoothFades, false);
    show = std::make_unique<OfflineShow>(app, kRate, true);
    QStringList files;
    for (const Song& s : kSongs) files << song(s.name, kSongSeconds, s.hz);
    show->start(files);
    show->run(33);  // past the first hand-over, before the second fade's first step
    Options::Set(SoundOptions::kSmoothFades, true);
    show->run(39);

    // The incoming song is heard 10-11 s before the outgoing one ends, which is halted 4-5 s before.
    const double heard = firstWhere(kSongs[1], 1, -40, true);
    EXPECT_NEAR(kSongSeconds - heard, 10.5, 0.5);
    const double halted = firstWhere(kSongs[0], heard, -50, false);
    EXPECT_NEAR(kSongSeconds - halted, 4.5, 0.5);
    const int startTick = int(std::lround(heard));
    for (int tick = 0; tick <= 10; ++tick)
        EXPECT_NEAR(afterTick(kSongs[0], startTick - 5 + tick), -3.0 * tick, 0.2) << "tick " << tick;
    for (int tick = 0; tick <= 4; ++tick)
        EXPECT_NEAR(afterTick(kSongs[1], startTick + tick), -16 + 4.0 * tick, 0.2) << "tick " << tick;

    // From the first fade tick to the hand-over for the outgoing song, from
    // just after its start to full level for the incoming one. Its timeline
    // is the stepped fade's: the same ticks, only spread.
    const double smoothHeard = firstWhere(kSongs[2], heard + 1, -40, true);
    const int smoothStart = int(std::lround(smoothHeard));
    for (auto [song, from, to] : {std::tuple{kSongs[1], smoothStart - 5.0, smoothStart + 6.0},
                                  std::tuple{kSongs[2], smoothHeard + 0.1, smoothStart + 6.0}}) {
        double worst = 0, total = 0;
        for (double t = from; t + 0.02 < to; t += 0.01) {
            const double step = std::fabs(level(song.hz, t + 0.01, 0.01) - level(song.hz, t, 0.01));
            worst = std::max(worst, step);
            total += step;
        }
        EXPECT_LE(worst, 0.1) << song.name;
        EXPECT_GT(total, 14) << song.name << ": the fade happened";
    }
}

// Songs shorter than the fade on either deck, and files that never open, at
// the top of the cue, in the middle and as all that is left of it: every good
// song plays once, in cue order, under its own name, on the deck the one
// before is not on, with no silence between songs and nothing played again.
// The first show ends on a live deck whose song runs out with only broken
// files behind it, the second on a fade whose start point finds only broken
// files. (Which way a file fails to open is the decoder's concern; the decks
// see only that it did not.)
TEST_F(FadeSound, ShortAndBrokenSongsNeverLeaveDeadAir) {
    constexpr int kLow = 8000;
    show = std::make_unique<OfflineShow>(app, kLow);
    // Each length comes twice, once on each deck: the decks take turns.
    const double lengths[] = {1, 3, 6, 10, 11, 15, 26, 40, 3, 1, 10, 6, 15, 11, 40, 26};
    const QString broken = app.path() + "/missing.mp3";
    QStringList good;
    for (auto [from, to] : {std::pair{0, 2}, std::pair{2, 16}}) {
        QStringList files;
        for (int i = from; i < to; ++i) {
            if (i % 3 == 0) files << broken;
            good << song(QString("s%1-%2s.wav").arg(i).arg(lengths[i]), lengths[i], 300 + 20 * i, kLow);
            files << good.last();
        }
        show->start(files << broken << broken);
        show->runToEnd(400);
        EXPECT_EQ(show->f->lstPlaylist->Count(), 0);
    }

    EXPECT_EQ(show->started, good);
    for (int i = 0; i < show->started.size(); ++i)
        EXPECT_EQ(std::make_pair(show->labels[i], show->runs[i].deck),
                  std::make_pair(show->started[i].section('/', -1), i % 2 ? 2 : 1));
    EXPECT_LT(show->longestSilence, 1.0);
}

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

// A start-up that brings back a cue plays it with the auto fade, when asked
// to. That the songs are heard is the program's own test; that an ordinary
// start leaves the cue whole is the auto-recover test's.
TEST_F(CueTest, PlayOnStartPlaysTheCueBroughtBackWithTheAutoFade) {
    app.exec("UPDATE settings SET autosave='YES'");
    fill(f->lstPlaylist, {"A.mp3", "B.mp3"});
    Module1::SaveAutoRecover();
    Options::Set(StartOptions::kPlayOnStart, true);
    restart();
    Options::Set(StartOptions::kPlayOnStart, false);
    EXPECT_TRUE(f->chkAutoFade->isChecked() && f->T1->isActive());
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

    f->mnuStartAtLogin->trigger();
    EXPECT_TRUE(f->mnuStartAtLogin->isChecked() && QFile::exists(StartOptions::AutostartFile()));
    f->mnuStartAtLogin->trigger();
    EXPECT_FALSE(f->mnuStartAtLogin->isChecked() || QFile::exists(StartOptions::AutostartFile()));
}

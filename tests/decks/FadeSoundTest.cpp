// The decks as a listener hears them, through the audio engine offline: a
// fade's levels tone by tone, and a cue of short and broken songs that must
// never leave the air silent.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/decks/SoundOptions.h"
#include "support/AudioRender.h"
#include "support/OfflineShow.h"
#include "support/TempApp.h"
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

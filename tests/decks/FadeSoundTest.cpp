// A fade as a listener hears it: three songs of different tones played
// through the audio engine offline, the engine ticking as the rendered time
// reaches each second, and each tone's level measured in the output.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/Module1.h"
#include "app/decks/DeckFactory.h"
#include "app/decks/EngineDeckPlayer.h"
#include "app/decks/SoundOptions.h"
#include "app/form1.h"
#include "audio/Engine.h"
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
        const long a = std::lround(from * kRate), n = std::lround(seconds * kRate);
        double re = 0, im = 0;
        for (long i = 0; i < n && a + i < long(left.size()); ++i) {
            re += left[a + i] * std::cos(2 * M_PI * hz * i / kRate);
            im += left[a + i] * std::sin(2 * M_PI * hz * i / kRate);
        }
        return 20 * std::log10(std::max(2 * std::hypot(re, im) / n, 1e-9) / kAmplitude);
    }
    // Level heard through the second after the tick at `tick` seconds, once the gain ramp settled.
    double afterTick(const Song& s, int tick) const { return level(s.hz, tick + 0.2, 0.7); }
    // Start of the first 50 ms window from `from` on whose level is above (or below) `dB`.
    double firstWhere(const Song& s, double from, double dB, bool above) const {
        for (double t = from; t < left.size() / double(kRate); t += 0.05)
            if ((level(s.hz, t, 0.05) > dB) == above) return t;
        return -1;
    }

    // Plays the three songs through the fade engine, ticking at each second of output.
    void play(bool smooth) {
        Options::Set(SoundOptions::kSmoothFades, smooth);
        SetDeckFactory([e = engine](int) { return std::make_unique<EngineDeckPlayer>(e); });
        app.addSong("seed.wav", "/music/");
        form1& f = Windows::Load<form1>();
        for (const Song& s : kSongs) {
            ASSERT_TRUE(WriteSineWav(app.path() + "/" + s.name, kSongSeconds, s.hz, kAmplitude, kRate));
            f.lstPlaylist->AddRows({{"1", s.name, app.path() + "/"}});
        }
        f.chkAutoFade->setChecked(true);
        f.chkAutoFade_Click();
        f.Command2_Click();
        auto* p1 = static_cast<EngineDeckPlayer*>(f.MP1->player());
        auto* p2 = static_cast<EngineDeckPlayer*>(f.MP2->player());
        std::vector<float> buf(2 * 441);
        for (long frame = 0; frame < 72L * kRate;) {
            engine->pump();
            engine->render(buf.data(), 441);
            for (int i = 0; i < 441; ++i) left.push_back(buf[2 * i]);
            frame += 441;
            p1->poll();
            p2->poll();
            if (frame % kRate == 0) {
                if (f.T1->isActive())
                    f.T1_Timer();
                else if (f.T2->isActive())
                    f.T2_Timer();
                held << QStringList{"", f.MP1->FileName().section('/', -1),
                                    f.MP2->FileName().section('/', -1)};
            }
        }
    }
    // The incoming song is heard 10-11 s before the outgoing one ends, which is halted 4-5 s before.
    void expectTimeline(const Song& out, const Song& in, double start, double* heard) const {
        const double end = start + kSongSeconds;
        *heard = firstWhere(in, start + 1, -40, true);
        EXPECT_GE(end - *heard, 10);
        EXPECT_LE(end - *heard, 11);
        const double halted = firstWhere(out, *heard, -50, false);
        EXPECT_GE(end - halted, 4);
        EXPECT_LE(end - halted, 5);
    }

    TempApp app;
    std::shared_ptr<audio::Engine> engine = std::make_shared<audio::Engine>(audio::Engine::Offline{kRate});
    std::vector<float> left;
    QList<QStringList> held;  // after each tick: "", the song on deck 1, the song on deck 2
};

TEST_F(FadeSound, DecksCrossFadeInThreeAndFourDecibelSteps) {
    play(false);
    // Each song starts on the deck the other one is not on, then fades the other out.
    double start = 0;  // of the outgoing song
    for (int k = 0; k < 2; ++k) {
        const Song& out = kSongs[k];
        const Song& in = kSongs[k + 1];
        SCOPED_TRACE(in.name);
        double heard;
        expectTimeline(out, in, start, &heard);
        const int startTick = int(std::lround(heard));
        EXPECT_EQ(held.value(startTick - 1).value(k == 0 ? 2 : 1), in.name);  // B on deck 2, C on deck 1

        EXPECT_NEAR(afterTick(out, startTick - 5), 0, 0.2);
        for (int tick = 1; tick <= 10; ++tick)
            EXPECT_NEAR(afterTick(out, startTick - 5 + tick), -3.0 * tick, 0.2) << "tick " << tick;
        for (int tick = 0; tick <= 4; ++tick)
            EXPECT_NEAR(afterTick(in, startTick + tick), -16 + 4.0 * tick, 0.2) << "tick " << tick;
        start = heard;
    }
}

TEST_F(FadeSound, SmoothFadesGlideWithoutAudibleSteps) {
    play(true);
    double heard;
    expectTimeline(kSongs[0], kSongs[1], 0, &heard);
    // From the first fade tick to the hand-over for the outgoing song, from
    // just after its start to full level for the incoming one.
    const int startTick = int(std::lround(heard));
    for (auto [song, from, to] : {std::tuple{kSongs[0], startTick - 5.0, startTick + 6.0},
                                  std::tuple{kSongs[1], heard + 0.1, startTick + 6.0}}) {
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

// What the mixer makes of the decoded audio: nothing the user does makes a
// click, and each sound option changes only what it is for.
#include <gtest/gtest.h>

#include <ebur128.h>
#include <cmath>

#include "AudioFixtures.h"

using namespace fixtures;

namespace {

constexpr int kRate = 44100;

bool writeLevels(const std::string& path, double seconds, double first, double second) {
    return WriteWav(QString::fromStdString(path), kRate, 2, long(seconds * kRate),
                    [&](long f, int) { return f < seconds * kRate / 2 ? first : second; });
}

// Level 0.5 for 2 s, then -0.25, and each control action in turn: every step
// is checked against the largest sample-to-sample step a ramp over
// rampFrames() allows, and the level it leads to. A seek and an open each
// switch to the other sign: no sample of before the switch may follow the
// first one after it, and that one must come at once.
TEST(Gain, NoActionClicksAndNoOldSampleFollowsASwitch) {
    OneDeck s(kRate);
    const std::string path = s.file("levels.wav");
    ASSERT_TRUE(writeLevels(path, 4.0, 0.5, -0.25));
    s.open(path);
    s.deck->play();
    const std::pair<std::function<void()>, float> steps[] = {
        {[&] { s.deck->setVolume(-6000); }, 0.0f}, {[&] { s.deck->setVolume(0); }, 0.5f},
        {[&] { s.deck->halt(); }, 0.0f},           {[&] { s.deck->play(); }, 0.5f},
        {[&] { s.deck->seek(3.0); }, -0.25f},      {[&] { s.open(path); }, 0.5f},
    };
    std::vector<float> out;
    Render(s.engine, 0.3, &out, nullptr, 256);
    float level = 0.5f;
    for (int n = 0; const auto& [act, after] : steps) {
        SCOPED_TRACE(n++);
        const size_t from = out.size();
        act();
        Render(s.engine, 0.3, &out, nullptr, 256);
        EXPECT_NEAR(out.back(), after, 1e-3);
        float worst = 0;
        for (size_t i = from - 2; i + 2 < out.size(); i += 2)
            worst = std::max(worst, std::fabs(out[i + 2] - out[i]));
        // The largest level difference on the way is 0.5 (to or from silence).
        EXPECT_LE(worst, 0.5f / s.deck->rampFrames() * 1.01f);
        if (level * after < 0) {
            size_t i = from;
            while (i < out.size() && out[i] * after <= 0) i += 2;
            EXPECT_LT(double(i - from) / 2 / kRate, 0.05) << "the new audio should follow at once";
            for (; i < out.size(); i += 2) ASSERT_GE(out[i] * after, 0.0f) << "frame " << i / 2;
        }
        level = after;
    }
}

// Integrated loudness of interleaved stereo, as the deck measures it.
double lufs(const std::vector<float>& s) {
    ebur128_state* m = ebur128_init(2, kRate, EBUR128_MODE_I);
    ebur128_add_frames_float(m, s.data(), s.size() / 2);
    double l = 0;
    ebur128_loudness_global(m, &l);
    ebur128_destroy(&m);
    return l;
}

// Each song is heard from its first sound to its last (with skip silence),
// at -18 LUFS (with level loudness), never clipped, and at its final level
// from its first moment, not after a jump.
TEST(Sound, SkipSilenceAndLevelLoudness) {
    const audio::SongOptions skip{.skipSilence = true}, level{.levelLoudness = true};
    const struct {
        const char* name;
        double seconds, start, end, lufs;  // lufs 0: not compared
        audio::SongOptions options;
        std::function<double(long)> signal;
    } kSongs[] = {
        // The silent tail is longer than the first stretch the deck looks at from the end.
        {"quiet ends", 25, 5, 10, 0, skip,
         [](long f) { return f >= 5 * kRate && f < 10 * kRate ? chirp(f, kRate) : 0.0; }},
        {"silent throughout", 3, 0, 3, 0, skip, [](long) { return 0.0005; }},
        {"loud", 6, 0, 6, -18, level, [](long f) { return chirp(f, kRate, 0.5); }},
        {"quiet", 6, 0, 6, -18, level, [](long f) { return chirp(f, kRate, 0.125); }},
        // Too quiet to reach the target, with a near full-scale click a second.
        {"clicks", 6, 0, 6, 0, level, [](long f) { return f % kRate == 0 ? 0.95 : chirp(f, kRate, 0.02); }},
    };
    OneDeck s(kRate);
    for (const auto& song : kSongs) {
        SCOPED_TRACE(song.name);
        const std::string path = s.file("song.wav");
        ASSERT_TRUE(WriteWav(QString::fromStdString(path), kRate, 2, long(song.seconds * kRate),
                             [&](long f, int) { return song.signal(f); }));
        s.open(path, song.options);
        s.deck->play();
        std::vector<float> out;
        const PlayOut run = Render(s.engine, 30, &out, s.deck);
        EXPECT_NEAR(s.deck->duration(), song.end, 0.001);
        EXPECT_NEAR(run.endPosition, song.end, 0.001);
        EXPECT_NEAR(run.renderedSeconds - 0.5, song.end - song.start, 0.05) << "what was heard";
        EXPECT_GT(Rms(out, 0, 2048), song.start > 0 ? 0.1 : 0.0) << "sound from the start";
        EXPECT_NEAR(20 * std::log10(Rms(out, 2048, 4410) / Rms(out, 2 * kRate + 2048, 4410)), 0, 0.3);
        for (float v : out) ASSERT_LT(std::fabs(v), 0.99f);
        if (song.lufs) {
            EXPECT_NEAR(lufs(out), song.lufs, 0.5);
        }
    }
}

}  // namespace

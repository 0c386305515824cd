// What the mixer makes of the decoded audio: seeks land on the sample,
// nothing the user does makes a click, and each sound option changes only
// what it is for.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <ebur128.h>
#include <cmath>
#include <cstring>

#include "AudioFixtures.h"
#include "app/decks/EngineDeckPlayer.h"
#include "support/WavWriter.h"

using namespace fixtures;

namespace {

constexpr int kRate = 44100;

struct Bench {
    QTemporaryDir dir;
    audio::Engine engine{audio::Engine::Offline{kRate}};
    audio::Deck* deck = engine.addDeck();
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
    void open(const std::string& path) {
        std::string error;
        ASSERT_TRUE(deck->open(path, error)) << error;
    }
};

bool writeLevels(const std::string& path, double seconds, double first, double second) {
    return WriteWav(QString::fromStdString(path), kRate, 2, long(seconds * kRate),
                    [&](long f, int) { return f < seconds * kRate / 2 ? first : second; });
}

// ---- seeking ----

// Offset (frames) of `part` inside `whole` that best matches, searched around `expected` +- range.
long bestLag(const std::vector<float>& whole, const std::vector<float>& part, long expected, long range) {
    long best = expected;
    double bestErr = 1e300;
    for (long lag = std::max(0L, expected - range); lag <= expected + range; ++lag) {
        if (2 * (size_t(lag) + 8192) > whole.size()) break;
        double err = 0;
        for (size_t i = 0; i < 8192; ++i) err += std::pow(double(whole[2 * (lag + i)]) - part[2 * i], 2);
        if (err < bestErr) bestErr = err, best = lag;
    }
    return best;
}

const std::pair<const char*, const char*> kSeekCases[] = {
    {"WAV", "-c:a pcm_s16le -f wav"},
    {"MP3", "-c:a libmp3lame -f mp3"},
    {"MP3_VBR_without_header", "-c:a libmp3lame -q:a 3 -write_xing 0 -f mp3"},
    {"WMA", "-c:a wmav2 -f asf"},
    {"SND", "-c:a pcm_s16be -f au"},
};

class Seek : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(Seek, LandsWithinAMillisecond) {
    Bench s;
    const std::string path = s.file("song");
    ASSERT_TRUE(
        encode(path, GetParam().second, kRate, 2, 6 * kRate, [](long f, int) { return chirp(f, kRate); }));

    // The song as heard from the start is the reference for where each moment lies.
    s.open(path);
    s.deck->play();
    std::vector<float> whole;
    Render(s.engine, 7, &whole, s.deck);

    for (double target : {1.2345, 4.5, 0.731}) {
        s.deck->halt();
        Render(s.engine, 0.05);
        s.deck->seek(target);
        EXPECT_NEAR(s.deck->position(), target, 1.0 / kRate) << "before a block of the new position is heard";
        s.engine.pump();
        s.deck->play();
        std::vector<float> part;
        Render(s.engine, 0.5, &part);
        // Past the fade-in, the output must match the reference at the target.
        const long ramp = s.deck->rampFrames();
        const std::vector<float> tail(part.begin() + 2 * ramp, part.end());
        const long expected = std::lround(target * kRate) + ramp;
        const long lag = bestLag(whole, tail, expected, kRate / 20);
        EXPECT_LE(std::abs(lag - expected), kRate / 1000)
            << "seek to " << target << " landed at " << double(lag - ramp) / kRate;
    }
}

INSTANTIATE_TEST_SUITE_P(Types, Seek, ::testing::ValuesIn(kSeekCases),
                         [](const auto& info) { return std::string(info.param.first); });

TEST(Seek, MidiLandsOnTheTempoMap) {
    Bench s;
    // A note at 1.0 s (2 beats at 120 bpm), another at 1.0 + 1.5 = 2.5 s (after a change to 60 bpm, 1.5
    // beats).
    const std::string path = s.file("m.mid");
    ASSERT_TRUE(writeBytes(path, midiFile({{0x87, 0x40, 0xFF, 0x51, 3,  0x0F, 0x42, 0x40, 0x00, 0x90, 60,
                                            100,  0x81, 0x70, 0x80, 60, 0,    0x83, 0x60, 0x90, 64,   100,
                                            0x81, 0x70, 0x80, 64,   0,  0x00, 0xFF, 0x2F, 0}})));
    s.open(path);
    s.deck->seek(2.4);
    s.engine.pump();
    s.deck->play();
    std::vector<float> out;
    Render(s.engine, 0.5, &out);
    size_t onset = 0;
    while (2 * onset < out.size() && std::fabs(out[2 * onset]) <= 0.002) ++onset;
    // The synthesizer's attack takes a few samples to cross the threshold.
    EXPECT_NEAR(double(onset) / kRate, 0.1, 0.002);
}

// ---- gain ----

// Level 0.5 for 2 s, then -0.25, and each control action in turn: every step
// is checked against the largest sample-to-sample step a ramp over
// rampFrames() allows, and the level it leads to. A seek and an open each
// switch to the other sign: no sample of before the switch may follow the
// first one after it, and that one must come at once.
TEST(Gain, NoActionClicksAndNoOldSampleFollowsASwitch) {
    Bench s;
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

uint64_t hashOf(const std::vector<float>& samples) {
    uint64_t hash = 1469598103934665603ull;
    for (float v : samples) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        hash = (hash ^ bits) * 1099511628211ull;
    }
    return hash;
}

// The program's deck with every sound option off, through open, volume
// changes, a fade step, pause, seek and a new song: the very samples the
// engine made before the options existed.
TEST(Sound, UnchangedWhenTheOptionsAreOff) {
    for (const auto* o :
         {&SoundOptions::kSmoothFades, &SoundOptions::kSkipSilence, &SoundOptions::kLevelLoudness})
        Options::Set(*o, false);
    Bench s;
    const QString path = QString::fromStdString(s.file("c.wav"));
    ASSERT_TRUE(
        WriteWav(path, kRate, 2, 2 * kRate, [](long f, int c) { return 0.3 * c + chirp(f + 9 * c, kRate); }));
    auto engine = std::make_shared<audio::Engine>(audio::Engine::Offline{kRate});
    EngineDeckPlayer deck(engine);
    std::vector<float> out;
    ASSERT_TRUE(deck.Open(path));
    Render(*engine, 0.3, &out, nullptr, 300);
    deck.SetVolume(-600);
    Render(*engine, 0.2, &out, nullptr, 300);
    deck.Pause();
    Render(*engine, 0.1, &out, nullptr, 300);
    deck.Play();
    deck.SetCurrentPosition(1.0);
    Render(*engine, 0.3, &out, nullptr, 300);
    deck.GlideVolume(-1500, 1000);
    deck.Open(path);
    Render(*engine, 0.4, &out, nullptr, 300);
    EXPECT_EQ(hashOf(out), 51145491755325607u);
}

TEST(Sound, SkipSilencePlaysFromTheFirstSoundToTheLast) {
    Bench s;
    const std::string quietEnds = s.file("q.wav"), silent = s.file("z.wav");
    // The silent tail is longer than the first stretch the deck looks at from the end.
    ASSERT_TRUE(WriteWav(QString::fromStdString(quietEnds), kRate, 2, 25 * kRate, [](long f, int) {
        return f >= 5 * kRate && f < 10 * kRate ? chirp(f, kRate) : 0.0;
    }));
    ASSERT_TRUE(writeLevels(silent, 3, 0.0005, 0.0005));
    for (auto [path, start, end] : {std::tuple{quietEnds, 5.0, 10.0}, std::tuple{silent, 0.0, 3.0}}) {
        std::string error;
        ASSERT_TRUE(s.deck->open(path, error, {.skipSilence = true}));
        s.deck->play();
        std::vector<float> out;
        const PlayOut run = Render(s.engine, 20, &out, s.deck);
        EXPECT_NEAR(s.deck->duration(), end, 0.001);
        EXPECT_NEAR(run.endPosition, end, 0.001);
        EXPECT_NEAR(run.renderedSeconds - 0.5, end - start, 0.05) << "what was heard";
        EXPECT_GT(Rms(out, 0, 2048), start > 0 ? 0.1 : 0.0) << "sound from the start";
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

TEST(Sound, LevelLoudnessBringsSongsTogetherWithoutClipping) {
    Bench s;
    std::vector<double> heard;
    for (double amp : {0.5, 0.125, 0.02}) {
        const std::string path = s.file("l.wav");
        // The quietest song has one near full-scale click a second, which must not clip.
        ASSERT_TRUE(WriteWav(QString::fromStdString(path), kRate, 2, 6 * kRate, [amp](long f, int) {
            return amp < 0.1 && f % kRate == 0 ? 0.95 : chirp(f, kRate, amp);
        }));
        std::string error;
        ASSERT_TRUE(s.deck->open(path, error, {.levelLoudness = true}));
        s.deck->play();
        std::vector<float> out;
        Render(s.engine, 8, &out, s.deck);
        heard.push_back(lufs(out));
        float peak = 0;
        for (float v : out) peak = std::max(peak, std::fabs(v));
        EXPECT_LT(peak, 0.99f);
        // Heard at its corrected level from its first moment, not after a jump.
        EXPECT_NEAR(20 * std::log10(Rms(out, 2048, 4410) / Rms(out, 3 * kRate + 2048, 4410)), 0, 0.3) << amp;
    }
    EXPECT_LT(std::fabs(heard[0] - heard[1]), 1.0);
    EXPECT_NEAR(heard[0], -18, 1.0);
}

}  // namespace

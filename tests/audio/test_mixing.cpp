// What the mixer makes of the decoded audio: seeks land on the sample, gain
// is exact, and nothing the user does makes a click.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "AudioFixtures.h"
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

struct SeekCase {
    const char* name;
    const char* file;
    Encoding enc;  // muxer "wav" means the test's own WAV writer
};

const SeekCase kSeekCases[] = {
    {"WAV", "s.wav", {"wav", "pcm_s16le"}},
    {"MP3", "s.mp3", {"mp3", "libmp3lame"}},
    {"MP3_VBR_without_header", "v.mp3", {"mp3", "libmp3lame", 3, false}},
    {"WMA", "s.wma", {"asf", "wmav2"}},
    {"SND", "s.snd", {"au", "pcm_s16be"}},
};

class Seek : public ::testing::TestWithParam<SeekCase> {};

TEST_P(Seek, LandsWithinAMillisecond) {
    Bench s;
    const std::string path = s.file(GetParam().file);
    ASSERT_TRUE(
        encode(path, GetParam().enc, kRate, 2, 6 * kRate, [](long f, int) { return chirp(f, kRate); }));

    // The song as heard from the start is the reference for where each moment lies.
    s.open(path);
    s.deck->play();
    std::vector<float> whole;
    renderUntilEnd(s.engine, s.deck, 7, &whole);

    for (double target : {1.2345, 4.5, 0.731}) {
        s.deck->halt();
        renderFor(s.engine, 0.05);
        s.deck->seek(target);
        EXPECT_NEAR(s.deck->position(), target, 1.0 / kRate) << "before a block of the new position is heard";
        s.engine.pump();
        s.deck->play();
        std::vector<float> part;
        renderFor(s.engine, 0.5, &part);
        // Past the fade-in, the output must match the reference at the target.
        const long ramp = s.deck->rampFrames();
        const std::vector<float> tail(part.begin() + 2 * ramp, part.end());
        const long expected = std::lround(target * kRate) + ramp;
        const long lag = bestLag(whole, tail, expected, kRate / 20, 8192);
        EXPECT_LE(std::abs(lag - expected), kRate / 1000)
            << "seek to " << target << " landed at " << double(lag - ramp) / kRate;
    }
}

INSTANTIATE_TEST_SUITE_P(Types, Seek, ::testing::ValuesIn(kSeekCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Seek, MidiLandsOnTheTempoMap) {
    Bench s;
    // A note at 1.0 s (2 beats at 120 bpm), another at 1.0 + 1.5 = 2.5 s (after a change to 60 bpm, 1.5
    // beats).
    MidiWriter m;
    m.tempo(960, 1000000);
    m.note(960, 60, 240);
    m.note(720 - 240, 64, 240);
    const std::string path = s.file("m.mid");
    ASSERT_TRUE(writeBytes(path, m.bytes()));
    s.open(path);
    s.deck->seek(2.4);
    s.engine.pump();
    s.deck->play();
    std::vector<float> out;
    renderFor(s.engine, 0.5, &out);
    const long onset = firstAbove(out, 0.002);
    ASSERT_GE(onset, 0);
    // The synthesizer's attack takes a few samples to cross the threshold.
    EXPECT_NEAR(double(onset) / kRate, 0.1, 0.002);
}

// ---- gain ----

TEST(Gain, Minus600IsSixDecibelsDown) {
    Bench s;
    const std::string path = s.file("tone.wav");
    ASSERT_TRUE(WriteSineWav(QString::fromStdString(path), 3, 441, 0.5));
    s.open(path);
    s.deck->play();
    std::vector<float> out;
    renderFor(s.engine, 1.0, &out);
    s.deck->setVolume(-600);
    renderFor(s.engine, 1.0, &out);
    const double full = rms(out, kRate / 2, kRate / 2), down = rms(out, kRate * 3 / 2, kRate / 2);
    EXPECT_NEAR(dB(down / full), -6.00, 0.05);
}

// Steady level 0.5 then -0.25: every control action is checked against the
// largest sample-to-sample step a ramp over rampFrames() allows.
struct ClickCase {
    const char* name;
    std::function<void(Bench&)> act;
};

const ClickCase kClickCases[] = {
    {"VolumeDownStep", [](Bench& s) { s.deck->setVolume(-6000); }},
    {"VolumeUpStep",
     [](Bench& s) {
         s.deck->setVolume(-6000);
         renderFor(s.engine, 0.1);
         s.deck->setVolume(0);
     }},
    {"Halt", [](Bench& s) { s.deck->halt(); }},
    {"Resume",
     [](Bench& s) {
         s.deck->halt();
         renderFor(s.engine, 0.1);
         s.deck->play();
     }},
    {"SeekWhilePlaying", [](Bench& s) { s.deck->seek(1.5); }},
    {"OpenWhilePlaying", [](Bench& s) { s.open(s.file("levels.wav")); }},
};

class NoClick : public ::testing::TestWithParam<ClickCase> {};

TEST_P(NoClick, StepsStayWithinTheRamp) {
    Bench s;
    const std::string path = s.file("levels.wav");
    ASSERT_TRUE(writeLevels(path, 2.0, 0.5, -0.25));
    s.open(path);
    s.deck->play();
    std::vector<float> out;
    renderFor(s.engine, 0.3, &out, 256);
    const size_t from = out.size();
    GetParam().act(s);
    renderFor(s.engine, 0.3, &out, 256);
    float worst = 0;
    for (size_t i = from; i + 2 < out.size(); i += 2) worst = std::max(worst, std::fabs(out[i + 2] - out[i]));
    // The largest level difference on the way is 0.5 (to or from silence).
    EXPECT_LE(worst, 0.5f / s.deck->rampFrames() * 1.01f);
    EXPECT_GT(worst, 0.0f) << "nothing happened";
}

INSTANTIATE_TEST_SUITE_P(Actions, NoClick, ::testing::ValuesIn(kClickCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- generations ----

TEST(Generation, NoSampleOfTheOldSongAfterTheSwitch) {
    Bench s;
    const std::string a = s.file("a.wav"), b = s.file("b.wav");
    ASSERT_TRUE(writeLevels(a, 4, 0.5, 0.5));
    ASSERT_TRUE(writeLevels(b, 4, -0.5, -0.5));
    s.open(a);
    s.deck->play();
    std::vector<float> out;
    renderFor(s.engine, 0.3, &out);  // the ring now holds ~0.75 s of song a
    const size_t from = out.size();
    s.open(b);
    renderFor(s.engine, 1.0, &out);
    const long firstNew = [&] {
        for (size_t i = from / 2; 2 * i < out.size(); ++i)
            if (out[2 * i] < 0) return long(i);
        return -1L;
    }();
    ASSERT_GE(firstNew, 0);
    for (size_t i = size_t(firstNew); 2 * i < out.size(); ++i) ASSERT_LE(out[2 * i], 0.0f) << "frame " << i;
    EXPECT_LT(double(firstNew - long(from / 2)) / kRate, 0.05) << "the new song should follow at once";
}

TEST(Halt, HoldsThePositionAndResumesFromIt) {
    Bench s;
    const std::string path = s.file("tone.wav");
    ASSERT_TRUE(WriteSineWav(QString::fromStdString(path), 3, 441, 0.5));
    s.open(path);
    s.deck->play();
    renderFor(s.engine, 1.0);
    s.deck->halt();
    renderFor(s.engine, 0.1);
    const double held = s.deck->position();
    std::vector<float> out;
    renderFor(s.engine, 1.0, &out);
    EXPECT_DOUBLE_EQ(s.deck->position(), held);
    EXPECT_EQ(rms(out, 0, out.size() / 2), 0.0);
    EXPECT_NEAR(held, 1.0, 0.05);
    s.deck->play();
    renderFor(s.engine, 0.5);
    EXPECT_NEAR(s.deck->position(), held + 0.5, 0.03);
}

}  // namespace

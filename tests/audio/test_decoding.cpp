// Every supported type opens, knows its length, plays and ends exactly once.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <unistd.h>

#include "AudioFixtures.h"

using namespace fixtures;

namespace {

constexpr int kRate = 44100;

// Two notes at 120 bpm, a change to 60 bpm and two more: 0.5 + 0.5 + 1.0 + 1.0
// = 3.0 s, which a parser ignoring tempo would get wrong.
const std::vector<uint8_t> kThreeSecondMidi = midiFile({
    {0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0x87, 0x40, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0},
    {0x00, 0xC0, 0,    0x00, 0x90, 60,   100,  0x83, 0x60, 0x80, 60,   0,    0x00, 0x90, 64,
     100,  0x83, 0x60, 0x80, 64,   0,    0x00, 0x90, 67,   100,  0x83, 0x60, 0x80, 67,   0,
     0x00, 0x90, 72,   100,  0x83, 0x60, 0x80, 72,   0,    0x00, 0xFF, 0x2F, 0},
});

struct TypeCase {
    const char* name;
    const char* file;
    double seconds;
    const char* ffmpeg;  // output options, or null for the MIDI bytes
    int rate = kRate, channels = 2;
    bool rmi = false;
};

const TypeCase kTypes[] = {
    {"WAV", "a.wav", 2.0, "-c:a pcm_s16le"},
    {"MP3", "a.mp3", 2.5, "-c:a libmp3lame"},
    {"WMA", "a.wma", 2.0, "-c:a wmav2 -f asf"},
    {"ASF", "a.asf", 1.5, "-c:a wmav1 -f asf", 22050, 1},
    // The classic .snd: 8 kHz mu-law mono, so resampling and mono both get exercised.
    {"SND", "a.snd", 2.0, "-c:a pcm_mulaw -f au", 8000, 1},
    {"MID", "a.mid", 3.0, nullptr},
    {"RMI", "a.rmi", 3.0, nullptr, kRate, 2, true},
    // The content decides, not the name.
    {"WavNamedMid", "w.mid", 1.0, "-c:a pcm_s16le -f wav"},
    {"MidiNamedMp3", "m.mp3", 3.0, nullptr},
};

class EachType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(EachType, OpensKnowsItsLengthPlaysAndEndsOnce) {
    const TypeCase& c = GetParam();
    QTemporaryDir dir;
    const std::string path = dir.filePath(c.file).toStdString();
    ASSERT_TRUE(c.ffmpeg ? encode(path, c.ffmpeg, c.rate, c.channels, long(c.seconds * c.rate),
                                  [&](long f, int) { return chirp(f, c.rate); })
                         : writeBytes(path, c.rmi ? wrapRmi(kThreeSecondMidi) : kThreeSecondMidi));

    audio::Engine engine(audio::Engine::Offline{48000});  // not the files' rate: resampling is on the path
    audio::Deck* deck = engine.addDeck();
    std::string error;
    ASSERT_TRUE(deck->open(path, error)) << error;
    EXPECT_NEAR(deck->duration(), c.seconds, 0.05) << "as reported at open";
    deck->play();
    std::vector<float> out;
    const PlayOut run = Render(engine, c.seconds + 3, &out, deck);
    EXPECT_EQ(run.ends, 1);
    EXPECT_NEAR(run.endPosition, c.seconds, 0.05);
    EXPECT_NEAR(deck->duration(), c.seconds, 0.05) << "after decoding to the end";
    // Audible in the middle, silent once ended.
    const size_t mid = size_t(c.seconds / 2 * engine.rate()),
                 after = size_t((c.seconds + 0.1) * engine.rate());
    EXPECT_GT(Rms(out, mid - 2400, 4800), 0.005);
    EXPECT_LT(Rms(out, after, out.size() / 2 - after), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Types, EachType, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

// Lengths the container gets wrong: a variable-rate MP3 without a header
// (guessed from its first frames' bit rate) and an MP3 cut in half.
TEST(Duration, IsCorrectedWhereTheContainerIsWrong) {
    QTemporaryDir dir;
    const std::string vbr = dir.filePath("vbr.mp3").toStdString(),
                      cut = dir.filePath("cut.mp3").toStdString();
    // Quiet start, loud noisy end: the first frames' bit rate is far from the average.
    ASSERT_TRUE(encode(vbr, "-c:a libmp3lame -q:a 2 -write_xing 0", kRate, 2, 8 * kRate, [](long f, int) {
        return f < 3 * kRate ? 0.0001 * std::sin(f * 0.05) : 0.6 * std::sin(f * 1.3 + std::sin(f * 0.37) * 7);
    }));
    ASSERT_TRUE(
        encode(cut, "-c:a libmp3lame", kRate, 2, 4 * kRate, [](long f, int) { return chirp(f, kRate); }));
    ASSERT_EQ(::truncate(cut.c_str(), QFileInfo(QString::fromStdString(cut)).size() / 2), 0);
    for (auto [path, truth] : {std::pair{vbr, 8.0}, std::pair{cut, 2.0}}) {
        audio::Engine engine(audio::Engine::Offline{kRate});
        audio::Deck* deck = engine.addDeck();
        std::string error;
        ASSERT_TRUE(deck->open(path, error)) << error;
        ASSERT_GT(std::fabs(deck->duration() - truth), 0.5)
            << path << ": the fixture no longer fools the container";
        engine.pump();  // the decoder counts the packets while the ring is full
        if (path == vbr) {
            EXPECT_NEAR(deck->duration(), truth, 0.05) << "known before the end";
        }
        deck->play();
        const PlayOut run = Render(engine, 10, nullptr, deck);
        EXPECT_EQ(run.ends, 1);
        EXPECT_NEAR(deck->duration(), truth, 0.1) << path;
        EXPECT_NEAR(run.endPosition, deck->duration(), 0.001) << path;
    }
}

}  // namespace

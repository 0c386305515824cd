// Every supported type opens, knows its length, plays and ends exactly once.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QFileInfo>
#include <cmath>
#include <unistd.h>

#include "AudioFixtures.h"
#include "support/WavWriter.h"

using namespace fixtures;

namespace {

constexpr int kRate = 44100;

// Two notes at 120 bpm then a tempo change to 60 bpm and two more:
// 0.5 + 0.5 + 1.0 + 1.0 = 3.0 s, which a parser ignoring tempo would get wrong.
std::vector<uint8_t> threeSecondMidi() {
    MidiWriter m;
    m.tempo(0, 500000);
    m.tempo(960, 1000000);
    m.program(0, 0, 0);
    m.note(0, 60, 480);
    m.note(0, 64, 480);
    m.note(0, 67, 480);
    m.note(0, 72, 480);
    return m.bytes();
}

struct TypeCase {
    const char* name;
    const char* file;
    double seconds;  // the truth
    std::function<bool(const std::string&, double)> make;
};

bool encodeTone(const std::string& path, Encoding enc, int rate, int channels, double seconds) {
    return encode(path, enc, rate, channels, long(seconds * rate),
                  [rate](long f, int) { return chirp(f, rate); });
}

const TypeCase kTypes[] = {
    {"WAV", "a.wav", 2.0,
     [](const std::string& p, double s) { return WriteSineWav(QString::fromStdString(p), s, 440, 0.5); }},
    {"MP3", "a.mp3", 2.5,
     [](const std::string& p, double s) {
         return encodeTone(p, {"mp3", "libmp3lame"}, kRate, 2, s);
     }},
    {"WMA", "a.wma", 2.0,
     [](const std::string& p, double s) {
         return encodeTone(p, {"asf", "wmav2"}, kRate, 2, s);
     }},
    {"ASF", "a.asf", 1.5,
     [](const std::string& p, double s) {
         return encodeTone(p, {"asf", "wmav1"}, 22050, 1, s);
     }},
    // The classic .snd: 8 kHz mu-law mono, so resampling and mono both get exercised.
    {"SND", "a.snd", 2.0,
     [](const std::string& p, double s) {
         return encodeTone(p, {"au", "pcm_mulaw"}, 8000, 1, s);
     }},
    {"MID", "a.mid", 3.0, [](const std::string& p, double) { return writeBytes(p, threeSecondMidi()); }},
    {"RMI", "a.rmi", 3.0,
     [](const std::string& p, double) { return writeBytes(p, wrapRmi(threeSecondMidi())); }},
    // The content decides, not the name.
    {"WavNamedMid", "w.mid", 1.0,
     [](const std::string& p, double s) { return WriteSineWav(QString::fromStdString(p), s, 440, 0.5); }},
    {"MidiNamedMp3", "m.mp3", 3.0,
     [](const std::string& p, double) { return writeBytes(p, threeSecondMidi()); }},
};

class EachType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(EachType, OpensKnowsItsLengthPlaysAndEndsOnce) {
    const TypeCase& c = GetParam();
    QTemporaryDir dir;
    const std::string path = dir.filePath(c.file).toStdString();
    ASSERT_TRUE(c.make(path, c.seconds));

    audio::Engine engine(audio::Engine::Offline{48000});  // not the files' rate: resampling is on the path
    audio::Deck* deck = engine.addDeck();
    std::string error;
    ASSERT_TRUE(deck->open(path, error)) << error;
    EXPECT_NEAR(deck->duration(), c.seconds, 0.05) << "as reported at open";
    deck->play();

    std::vector<float> out;
    const PlayOut run = renderUntilEnd(engine, deck, c.seconds + 3, &out);
    EXPECT_EQ(run.ends, 1);
    EXPECT_NEAR(run.endPosition, c.seconds, 0.05);
    EXPECT_NEAR(deck->duration(), c.seconds, 0.05) << "after decoding to the end";
    // Audible in the middle, silent once ended.
    const size_t mid = size_t(c.seconds / 2 * engine.rate());
    EXPECT_GT(rms(out, mid - 2400, 4800), 0.005);
    const size_t after = size_t((c.seconds + 0.1) * engine.rate());
    EXPECT_LT(rms(out, after, out.size() / 2 - after), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Types, EachType, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Duration, VariableRateMp3WithoutHeaderIsCounted) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("vbr.mp3").toStdString();
    // Quiet start, loud noisy end: a length guessed from the first frames' bit rate is far off.
    const double seconds = 8.0;
    ASSERT_TRUE(
        encode(path, {"mp3", "libmp3lame", 2, false}, kRate, 2, long(seconds * kRate), [](long f, int) {
            return f < 3 * kRate ? 0.0001 * std::sin(f * 0.05)
                                 : 0.6 * std::sin(f * 1.3 + std::sin(f * 0.37) * 7);
        }));
    audio::Engine engine(audio::Engine::Offline{kRate});
    audio::Deck* deck = engine.addDeck();
    std::string error;
    ASSERT_TRUE(deck->open(path, error)) << error;
    ASSERT_GT(std::fabs(deck->duration() - seconds), 0.5) << "the fixture no longer fools the container";
    engine.pump();  // the decoder counts the packets while the ring is full
    EXPECT_NEAR(deck->duration(), seconds, 0.05);
    deck->play();
    const PlayOut run = renderUntilEnd(engine, deck, seconds + 2);
    EXPECT_EQ(run.ends, 1);
    EXPECT_NEAR(run.endPosition, seconds, 0.05);
}

TEST(Duration, TruncatedFileIsCorrectedWhenDecodingEnds) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("cut.mp3").toStdString();
    ASSERT_TRUE(encodeTone(path, {"mp3", "libmp3lame"}, kRate, 2, 4.0));
    // Keep the header that claims 4 s, lose the second half of the audio.
    ASSERT_EQ(::truncate(path.c_str(), QFileInfo(QString::fromStdString(path)).size() / 2), 0);
    audio::Engine engine(audio::Engine::Offline{kRate});
    audio::Deck* deck = engine.addDeck();
    std::string error;
    ASSERT_TRUE(deck->open(path, error)) << error;
    deck->play();
    const PlayOut run = renderUntilEnd(engine, deck, 6);
    EXPECT_EQ(run.ends, 1);
    EXPECT_NEAR(deck->duration(), 2.0, 0.1);
    EXPECT_NEAR(run.endPosition, deck->duration(), 0.001);
}

}  // namespace

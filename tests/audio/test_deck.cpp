// One deck on an offline engine. Every supported type opens, knows its
// length, plays, ends exactly once and seeks to the sample; the MIDI reader on
// its own. The ramps of the user's actions and the sound options are
// checked through the deck player.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <unistd.h>

#include "AudioFixtures.h"
#include "audio/MidiFile.h"

using namespace fixtures;

namespace {

constexpr int kRate = 48000;  // not most files' rate: resampling is on the path

// One deck of an offline engine, and a folder for its songs.
struct OneDeck {
    QTemporaryDir dir;
    audio::Engine engine{audio::Engine::Offline{kRate}};
    audio::Deck* deck = engine.addDeck();
    void open(const std::string& path, audio::SongOptions options = {}) {
        std::string error;
        ASSERT_TRUE(deck->open(path, error, options)) << error;
    }
};

// Two notes at 120 bpm, a change to 60 bpm and two more: 0.5 + 0.5 + 1.0 + 1.0
// = 3.0 s, which a parser ignoring tempo would get wrong. The notes run on one
// status byte, each ended by a note on at velocity 0.
const Bytes kThreeSecondMidi = midiFile({
    {0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0x87, 0x40, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0},
    {0x00, 0xC0, 0,   0x00, 0x90, 60, 100, 0x83, 0x60, 60,  0,    0x00, 64, 100, 0x83, 0x60, 64,   0,
     0x00, 67,   100, 0x83, 0x60, 67, 0,   0x00, 72,   100, 0x83, 0x60, 72, 0,   0x00, 0xFF, 0x2F, 0},
});

// Quiet start, loud noisy end: the first frames' bit rate is far from the average.
double quietThenLoud(long f, int) {
    return f < 3 * 44100 ? 0.0001 * std::sin(f * 0.05) : 0.6 * std::sin(f * 1.3 + std::sin(f * 0.37) * 7);
}

struct TypeCase {
    const char* name;
    const char* file;
    double seconds;
    const char* ffmpeg;  // output options, or null for the MIDI bytes
    int rate = 44100, channels = 2;
    // Lengths the container gets wrong: a variable-rate MP3 without a header
    // (guessed from its first frames' bit rate) and an MP3 cut in half.
    double (*signal)(long, int) = nullptr;  // chirp when null
    bool cutInHalf = false;
};

const TypeCase kTypes[] = {
    {"WAV", "a.wav", 2.0, "-c:a pcm_s16le"},
    {"MP3", "a.mp3", 2.5, "-c:a libmp3lame", kRate},  // at the engine's rate: decoded without a resampler
    {"WMA", "a.wma", 2.0, "-c:a wmav2 -f asf"},
    // The classic .snd: 8 kHz mu-law mono, so resampling and mono both get exercised.
    {"SND", "a.snd", 2.0, "-c:a pcm_mulaw -f au", 8000, 1},
    {"MID", "a.mid", 3.0, nullptr},
    {"RMI", "a.rmi", 3.0, nullptr, kRate},
    {"Mp3VbrWithoutHeader", "vbr.mp3", 8.0, "-c:a libmp3lame -q:a 2 -write_xing 0", 44100, 2, quietThenLoud},
    {"Mp3CutInHalf", "cut.mp3", 2.0, "-c:a libmp3lame", 44100, 2, nullptr, true},
};

class EachType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(EachType, OpensKnowsItsLengthPlaysEndsOnceAndSeeks) {
    const TypeCase& c = GetParam();
    OneDeck s;
    const std::string path = s.dir.filePath(c.file).toStdString();
    ASSERT_TRUE(
        c.ffmpeg ? encode(path, c.ffmpeg, c.rate, c.channels, long(c.seconds * c.rate) * (1 + c.cutInHalf),
                          [&](long f, int ch) {
                              return c.signal ? c.signal(f, ch) : chirp(f, c.rate, ch ? 0.25 : 0.5);
                          })
                 : writeBytes(path, path.ends_with(".rmi") ? wrapRmi(kThreeSecondMidi) : kThreeSecondMidi));
    ASSERT_TRUE(!c.cutInHalf || ::truncate(path.c_str(), QFileInfo(path.c_str()).size() / 2) == 0);
    s.open(path);
    const double atOpen = s.deck->duration();
    s.engine.pump();  // the decoder counts the packets while the ring is full
    if (!c.cutInHalf) {
        // As reported at open; the header-less VBR file's once its first packets are counted.
        EXPECT_NEAR(c.signal ? s.deck->duration() : atOpen, c.seconds, 0.05) << "known before the end";
    }
    s.deck->play();
    std::vector<float> whole;
    const PlayOut run = Render(s.engine, c.seconds + 3, &whole, s.deck);
    EXPECT_EQ(run.ends, 1);
    EXPECT_NEAR(s.deck->duration(), c.seconds, 0.05) << "after decoding to the end";
    EXPECT_NEAR(run.endPosition, s.deck->duration(), 0.001);
    // Audible in the middle, silent once ended. The chirp is heard at its own
    // level on each side (RMS 0.354 at amplitude 0.5): the right side's half
    // level stays there, and a mono song is whole on both sides, not 3 dB down.
    const size_t mid = size_t(c.seconds / 2 * kRate), after = size_t((c.seconds + 0.1) * kRate);
    for (int ch : {0, 1}) {
        if (c.ffmpeg && !c.signal)
            EXPECT_NEAR(Rms(whole, mid - 2400, 4800, ch), ch && c.channels == 2 ? 0.177 : 0.354, 0.03) << ch;
        else
            EXPECT_GT(Rms(whole, mid - 2400, 4800, ch), 0.005) << ch;
    }
    EXPECT_LT(Rms(whole, after, whole.size() / 2 - after), 1e-6);

    // Forward, then back. Notes under way at a MIDI target are not restarted:
    // silence until the next note at 2.0 s, after the tempo change.
    for (double target : c.ffmpeg ? std::vector{0.8 * c.seconds, 0.45 * c.seconds} : std::vector{1.9}) {
        s.deck->halt();
        Render(s.engine, 0.05);
        if (!c.ffmpeg) s.open(path);  // afresh: notes the synthesizer has reached ring out after a seek
        s.deck->seek(target);
        EXPECT_NEAR(s.deck->position(), target, 1.0 / kRate) << "before a block of the new position is heard";
        s.engine.pump();
        s.deck->play();
        std::vector<float> part;
        Render(s.engine, 0.5, &part);
        if (!c.ffmpeg) {
            size_t onset = 0;
            while (2 * onset < part.size() && std::fabs(part[2 * onset]) <= 0.002) ++onset;
            EXPECT_NEAR(double(onset) / kRate, 0.1, 0.002);  // the synthesizer's attack takes a few samples
            continue;
        }
        // Past the fade-in, the output must match the song as heard from the start at the target:
        // the offset into it (frames) whose 8192 frames match best, within 50 ms of the target.
        const long ramp = s.deck->rampFrames();
        const long expected = std::lround(target * kRate) + ramp;
        std::pair<double, long> best{1e300, expected};
        for (long lag = expected - kRate / 20;
             lag <= expected + kRate / 20 && 2 * (size_t(lag) + 8192) <= whole.size(); ++lag) {
            double err = 0;
            for (size_t i = 0; i < 8192; ++i)
                err += std::pow(double(whole[2 * (lag + i)]) - part[2 * (ramp + i)], 2);
            best = std::min(best, {err, lag});
        }
        EXPECT_LE(std::abs(best.second - expected), kRate / 1000)
            << "seek to " << target << " landed at " << double(best.second - ramp) / kRate;
    }
}

INSTANTIATE_TEST_SUITE_P(Types, EachType, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

// The MIDI reader's lengths where the rest of the file does not go through
// the usual path (the decks' table above holds the files it rejects).
TEST(ParseMidi, LengthsOfOddFiles) {
    const struct {
        const char* name;
        Bytes file;
        double seconds;
        int rmiCut = -1;  // >= 0: an RMI file read without its last rmiCut bytes
    } kCases[] = {
        // 25 frames/s, 40 ticks per frame: one tick is a millisecond, tempo events do not apply.
        {"SMPTE division",
         midiFile({{0x00, 0xFF, 0x51, 3,    0x0F, 0x42, 0x40, 0x00, 0x90, 60,
                    100,  0x87, 0x68, 0x80, 60,   0,    0x00, 0xFF, 0x2F, 0}},
                  (0xE7 << 8) | 40),
         1.0},
        // A data byte with no status to run on ends the track there.
        {"stray data byte", midiFile({{0x00, 0x90, 60, 100, 0x81, 0x70, 0x80, 60, 0, 0x00, 0x40, 0x40}}),
         0.25},
        // Cut inside the wrapper's data chunk, in the middle of the note off: what
        // is there is read, never more, and what came before the cut stands.
        {"RMI cut in its data",
         wrapRmi(midiFile({{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0}})), 0.0, 7},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const uint8_t* data = c.file.data();
        size_t size = c.file.size() - std::max(0, c.rmiCut);
        if (c.rmiCut >= 0) {
            ASSERT_TRUE(audio::unwrapRmi(c.file.data(), size, &data, &size));
            ASSERT_LE(data + size, c.file.data() + c.file.size() - c.rmiCut);
        }
        audio::MidiSong song;
        std::string error;
        ASSERT_TRUE(audio::parseMidi(data, size, song, error)) << error;
        EXPECT_NEAR(song.duration, c.seconds, 1e-9);
    }
}

// The desktop's volume scales the whole mix, over a ramp of bounded steps.
TEST(Sound, MasterLevelScalesTheMixWithoutAStep) {
    OneDeck s;
    ASSERT_TRUE(WriteWav(s.dir.filePath("level.wav"), kRate, 2, kRate, [](long, int) { return 0.5; }));
    s.open(s.dir.filePath("level.wav").toStdString());
    s.deck->play();
    std::vector<float> out;
    Render(s.engine, 0.2, &out);
    const size_t before = out.size();
    s.engine.setMasterLevel(0.25f);
    Render(s.engine, 0.2, &out);
    const float step = 0.5f / (audio::Engine::kMasterRampSeconds * kRate);
    for (size_t i = before; i < out.size(); i += 2)
        ASSERT_LE(std::fabs(out[i] - out[i - 2]), step * 1.01f) << i;
    EXPECT_NEAR(out.back(), 0.125, 1e-4);
}

}  // namespace

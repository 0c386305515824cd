// The MIDI reader on its own: tempo map, division kinds, damaged files and
// the RMI wrapper.
#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "audio/MidiFile.h"

using namespace fixtures;

namespace {

struct ParseCase {
    const char* name;
    std::vector<uint8_t> file;
    double duration;  // < 0: rejected with a reason
    std::vector<double> noteOnSeconds = {};
};

const ParseCase kCases[] = {
    // 480 ticks at the default 120 bpm, then 480 at 60 bpm.
    {"TempoChangeMidSong",
     midiFile({{0x00, 0x90, 60,  100,  0x83, 0x60, 0xFF, 0x51, 3,    0x0F, 0x42, 0x40, 0x00,
                0x90, 62,   100, 0x83, 0x60, 0x80, 62,   0,    0x00, 0xFF, 0x2F, 0}}),
     1.5,
     {0.0, 0.5}},
    // Running status: the second note reuses 0x90.
    {"RunningStatus",
     midiFile({{0x00, 0x90, 60, 100, 0x83, 0x60, 62, 100, 0x83, 0x60, 0x80, 62, 0, 0x00, 0xFF, 0x2F, 0}}),
     1.0,
     {0.0, 0.5}},
    // 25 frames/s, 40 ticks per frame: one tick is a millisecond, tempo events do not apply.
    {"SmpteDivision",
     midiFile({{0x00, 0xFF, 0x51, 3,    0x0F, 0x42, 0x40, 0x00, 0x90, 60,
                100,  0x87, 0x68, 0x80, 60,   0,    0x00, 0xFF, 0x2F, 0}},
              (0xE7 << 8) | 40),
     1.0,
     {0.0}},
    // The track breaks off in the middle of an event: what came before stands.
    {"CutShort", midiFile({{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x83, 0x60, 0x90}}), 0.5, {0.0}},
    // A data byte with no status to run on ends the track there.
    {"StrayDataByte",
     midiFile({{0x00, 0x90, 60, 100, 0x81, 0x70, 0x80, 60, 0, 0x00, 0x40, 0x40}}),
     0.25,
     {0.0}},
    {"Empty", {}, -1},
    {"HeaderCut", {'M', 'T', 'h', 'd'}, -1},
    {"DivisionZero", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 0}, -1},
    {"NoTrack", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 1, 0xe0}, -1},
    {"TheWrapperNotTheFile", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 0, 0}, -1},
};

class ParseMidi : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseMidi, TimesFollowTheTempoMap) {
    const ParseCase& c = GetParam();
    audio::MidiSong song;
    std::string error;
    ASSERT_EQ(audio::parseMidi(c.file.data(), c.file.size(), song, error), c.duration >= 0) << error;
    if (c.duration < 0) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_NEAR(song.duration, c.duration, 1e-9);
    std::vector<double> ons;
    for (const auto& e : song.events)
        if ((e.status & 0xF0) == 0x90 && e.data2 > 0) ons.push_back(e.seconds);
    ASSERT_EQ(ons.size(), c.noteOnSeconds.size());
    for (size_t i = 0; i < ons.size(); ++i) EXPECT_NEAR(ons[i], c.noteOnSeconds[i], 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Files, ParseMidi, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rmi, UnwrapsTheDataChunkPastOtherChunks) {
    std::vector<uint8_t> smf =
        midiFile({{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0}});
    smf.push_back(0x00);  // an odd length, so the wrapper pads
    const std::vector<uint8_t> rmi = wrapRmi(smf);
    const uint8_t* inner = nullptr;
    size_t size = 0;
    ASSERT_TRUE(audio::unwrapRmi(rmi.data(), rmi.size(), &inner, &size));
    EXPECT_EQ(std::vector<uint8_t>(inner, inner + size), smf);
    // Cut inside the data chunk: what is there is returned, never more.
    ASSERT_TRUE(audio::unwrapRmi(rmi.data(), rmi.size() - 10, &inner, &size));
    EXPECT_EQ(inner + size, rmi.data() + rmi.size() - 10);
    // A chunk claiming more than the file holds, and no data chunk at all.
    std::vector<uint8_t> lying = rmi;
    lying[16] = 0xff, lying[17] = 0xff, lying[18] = 0xff, lying[19] = 0x7f;
    EXPECT_FALSE(audio::unwrapRmi(lying.data(), lying.size(), &inner, &size));
    EXPECT_FALSE(audio::unwrapRmi(rmi.data(), 24, &inner, &size));
    EXPECT_FALSE(audio::unwrapRmi(smf.data(), smf.size(), &inner, &size));
}

}  // namespace

// The deck player on an offline engine: transport semantics, notifications
// and their order, and files that cannot be played.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "AudioFixtures.h"
#include "app/decks/EngineDeckPlayer.h"
#include "support/WavWriter.h"

using namespace fixtures;

namespace {

constexpr int kRate = 44100;

struct Rig {
    QTemporaryDir dir;
    std::shared_ptr<audio::Engine> engine = std::make_shared<audio::Engine>(audio::Engine::Offline{kRate});
    EngineDeckPlayer player{engine};
    QStringList log;
    std::vector<float> out;

    Rig() {
        QObject::connect(&player, &DeckPlayer::PlayStateChange,
                         [this](int a, int b) { log << QString("state %1->%2").arg(a).arg(b); });
        QObject::connect(&player, &DeckPlayer::EndOfStream, [this](int) { log << "end"; });
    }
    QString tone(const char* name, double seconds) {
        const QString f = dir.filePath(name);
        EXPECT_TRUE(WriteSineWav(f, seconds, 441, 0.5));
        return f;
    }
    // Renders as the device would, with the UI timer's poll after each buffer; returns the rms heard.
    double run(double seconds) {
        const size_t from = out.size() / 2;
        renderFor(*engine, seconds, &out);
        player.poll();
        return rms(out, from, out.size() / 2 - from);
    }
    void expectAt(double seconds) const { EXPECT_NEAR(player.CurrentPosition(), seconds, 0.03); }
};

const QStringList kPlayedOut = {"state 0->2", "state 2->0", "end"};

TEST(DeckPlayer, OpenStartsAtOnceTheEndIsStoppedThenEndOfStreamOncePlayStartsAgain) {
    Rig r;
    ASSERT_TRUE(r.player.Open(r.tone("a.wav", 1.0))) << r.player.LastError().toStdString();
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Playing);
    EXPECT_NEAR(r.player.Duration(), 1.0, 0.001);
    for (int i = 0; i < 40; ++i) r.run(0.05);
    EXPECT_EQ(r.log, kPlayedOut);
    EXPECT_NEAR(r.player.CurrentPosition(), 1.0, 0.001);
    r.log.clear();
    r.player.Play();
    EXPECT_LT(r.player.CurrentPosition(), 0.001);
    r.run(0.25);
    r.expectAt(0.25);
    for (int i = 0; i < 20; ++i) r.run(0.05);
    EXPECT_EQ(r.log, kPlayedOut);
}

TEST(DeckPlayer, PauseHoldsSilentlySeekMovesStopRewindsNoneRaisesEndOfStream) {
    Rig r;
    ASSERT_TRUE(r.player.Open(r.tone("a.wav", 3.0)));
    r.run(1.0);
    r.player.Pause();
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Paused);
    r.run(0.1);
    const double held = r.player.CurrentPosition();
    EXPECT_EQ(r.run(1.0), 0.0);
    EXPECT_DOUBLE_EQ(r.player.CurrentPosition(), held);
    r.player.Play();
    r.run(0.5);
    r.expectAt(held + 0.5);
    r.player.SetCurrentPosition(2.0);
    EXPECT_NEAR(r.player.CurrentPosition(), 2.0, 0.001) << "before the new place is heard";
    r.run(0.5);
    r.expectAt(2.5);
    r.player.Stop();
    EXPECT_EQ(r.player.CurrentPosition(), 0.0);
    r.run(0.5);
    EXPECT_EQ(r.player.CurrentPosition(), 0.0) << "stopped, not playing from the start";
    r.player.Play();
    r.run(0.5);
    r.expectAt(0.5);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->1", "state 1->2", "state 2->0", "state 0->2"}));
}

TEST(DeckPlayer, NothingOpenIsHarmless) {
    Rig r;
    r.player.Play();
    r.player.Pause();
    r.player.SetCurrentPosition(3);
    r.run(0.1);
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Stopped);
    EXPECT_EQ(r.player.Duration(), 0.0);
    EXPECT_TRUE(r.log.isEmpty());
}

// One file for each way an open fails: no file, nothing to read, no decoder
// for it, a container without audio, and a MIDI wrapper without the MIDI file.
struct BadFile {
    const char* name;
    const char* file;  // "" for no name at all
    QByteArray bytes;
    bool write = true;
};
const BadFile kBadFiles[] = {
    {"Missing", "nothere.mp3", {}, false},
    {"EmptyName", "", {}, false},
    {"Folder", ".", {}, false},
    {"Text", "notes.wav", QByteArray("just some words\n").repeated(200)},
    {"WavHeaderOnly", "h.wav",
     QByteArray("RIFF$\0\0\0WAVEfmt \x10\0\0\0\1\0\2\0\x44\xac\0\0\x10\xb1\2\0\4\0\x10\0data\0\0\0\0", 44)},
    {"RmiWithoutData", "x.rmi", QByteArray("RIFF\x0c\0\0\0RMIDLIST\0\0\0\0", 20)},
};

class Unplayable : public ::testing::TestWithParam<BadFile> {};

TEST_P(Unplayable, FailsWithAReasonAndLeavesTheDeckAsItWas) {
    Rig r;
    const QString good = r.tone("good.wav", 3.0);
    ASSERT_TRUE(r.player.Open(good));
    r.player.SetVolume(-600);
    r.run(0.5);
    const double position = r.player.CurrentPosition();
    r.log.clear();
    const BadFile& bad = GetParam();
    QFile file(r.dir.filePath(bad.file));
    ASSERT_TRUE(!bad.write || (file.open(QIODevice::WriteOnly) && file.write(bad.bytes) == bad.bytes.size()));
    file.close();
    EXPECT_FALSE(r.player.Open(*bad.file ? file.fileName() : QString()));
    EXPECT_FALSE(r.player.LastError().isEmpty());
    EXPECT_EQ(r.player.FileName(), good);
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(r.player.Volume(), -600);
    EXPECT_NEAR(r.player.Duration(), 3.0, 0.001);
    r.run(0.5);
    r.expectAt(position + 0.5);
    EXPECT_TRUE(r.log.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, Unplayable, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeckPlayer, FileRemovedWhilePlayingEndsCleanly) {
    Rig r;
    const QString f = r.tone("gone.wav", 3.0);
    ASSERT_TRUE(r.player.Open(f));
    r.run(0.5);
    ASSERT_TRUE(QFile::remove(f));
    for (int i = 0; i < 70; ++i) r.run(0.05);
    EXPECT_EQ(r.log, kPlayedOut);
}

}  // namespace

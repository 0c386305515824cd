// The deck player on an offline engine: transport semantics, notifications
// and their order, and files that cannot be played.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <unistd.h>

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
    // Renders as the device would, with the UI timer's poll after each buffer.
    void run(double seconds) {
        std::vector<float> buf(2 * 1024);
        for (long done = 0; done < long(seconds * kRate); done += 1024) {
            engine->pump();
            engine->render(buf.data(), 1024);
            out.insert(out.end(), buf.begin(), buf.end());
            player.poll();
        }
    }
};

TEST(DeckPlayer, OpenStartsAtOnceAndTheEndIsStoppedThenEndOfStreamOnce) {
    Rig r;
    ASSERT_TRUE(r.player.Open(r.tone("a.wav", 1.0))) << r.player.LastError().toStdString();
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Playing);
    EXPECT_NEAR(r.player.Duration(), 1.0, 0.001);
    r.run(2.0);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->0", "end"}));
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Stopped);
    EXPECT_NEAR(r.player.CurrentPosition(), 1.0, 0.001);
}

TEST(DeckPlayer, PlayAfterTheEndStartsAgain) {
    Rig r;
    ASSERT_TRUE(r.player.Open(r.tone("a.wav", 0.5)));
    r.run(1.0);
    r.log.clear();
    r.player.Play();
    EXPECT_LT(r.player.CurrentPosition(), 0.001);
    r.run(0.25);
    EXPECT_NEAR(r.player.CurrentPosition(), 0.25, 0.03);
    r.run(1.0);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->0", "end"}));
}

TEST(DeckPlayer, PauseHoldsStopRewindsNeitherRaisesEndOfStream) {
    Rig r;
    ASSERT_TRUE(r.player.Open(r.tone("a.wav", 3.0)));
    r.run(1.0);
    r.player.Pause();
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Paused);
    r.run(0.1);
    const double held = r.player.CurrentPosition();
    r.run(1.0);
    EXPECT_DOUBLE_EQ(r.player.CurrentPosition(), held);
    r.player.Play();
    r.run(0.5);
    EXPECT_NEAR(r.player.CurrentPosition(), held + 0.5, 0.03);
    r.player.Stop();
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Stopped);
    EXPECT_EQ(r.player.CurrentPosition(), 0.0);
    r.run(0.5);
    EXPECT_EQ(r.player.CurrentPosition(), 0.0) << "stopped, not playing from the start";
    r.player.Play();
    r.run(0.5);
    EXPECT_NEAR(r.player.CurrentPosition(), 0.5, 0.03);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->1", "state 1->2", "state 2->0", "state 0->2"}));
}

TEST(DeckPlayer, SeekingPastWhereItWasKeepsPlaying) {
    Rig r;
    ASSERT_TRUE(r.player.Open(r.tone("a.wav", 3.0)));
    r.run(0.2);
    r.player.SetCurrentPosition(2.0);
    EXPECT_NEAR(r.player.CurrentPosition(), 2.0, 0.001);
    r.run(0.5);
    EXPECT_NEAR(r.player.CurrentPosition(), 2.5, 0.03);
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Playing);
}

TEST(DeckPlayer, VolumeReadsBackExactly) {
    Rig r;
    for (int v : {0, -1, -600, -1500, -3001, -5999, -6000}) {
        r.player.SetVolume(v);
        EXPECT_EQ(r.player.Volume(), v);
    }
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

struct BadFile {
    const char* name;
    std::function<QString(QTemporaryDir&)> make;
};

QString writeFile(QTemporaryDir& d, const char* name, const QByteArray& bytes) {
    QFile f(d.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

QByteArray randomBytes(int n) {
    std::mt19937 gen(42);
    QByteArray b(n, 0);
    for (char& c : b) c = char(gen());
    return b;
}

const BadFile kBadFiles[] = {
    {"Missing", [](QTemporaryDir& d) { return d.filePath("nothere.mp3"); }},
    {"EmptyName", [](QTemporaryDir&) { return QString(); }},
    {"Folder", [](QTemporaryDir& d) { return d.path(); }},
    {"ZeroBytes", [](QTemporaryDir& d) { return writeFile(d, "empty.mp3", {}); }},
    {"Text",
     [](QTemporaryDir& d) {
         return writeFile(d, "notes.wav", QByteArray("just some words\n").repeated(200));
     }},
    {"RandomMp3", [](QTemporaryDir& d) { return writeFile(d, "noise.mp3", randomBytes(50000)); }},
    {"RandomWma", [](QTemporaryDir& d) { return writeFile(d, "noise.wma", randomBytes(5000)); }},
    {"MidiHeaderOnly",
     [](QTemporaryDir& d) { return writeFile(d, "h.mid", QByteArray("MThd\0\0\0\6\0\1\0\1\1\xe0", 14)); }},
    {"RmiWithoutData",
     [](QTemporaryDir& d) {
         return writeFile(d, "x.rmi", QByteArray("RIFF\x0c\0\0\0RMIDLIST\0\0\0\0", 20));
     }},
    {"WavHeaderOnly",
     [](QTemporaryDir& d) {
         const QString f = d.filePath("h.wav");
         WriteWav(f, 44100, 2, 0, [](long, int) { return 0.0; });
         return f;
     }},
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

    const QString bad = GetParam().make(r.dir);
    EXPECT_FALSE(r.player.Open(bad));
    EXPECT_FALSE(r.player.LastError().isEmpty());
    EXPECT_EQ(r.player.FileName(), good);
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(r.player.Volume(), -600);
    EXPECT_NEAR(r.player.Duration(), 3.0, 0.001);
    r.run(0.5);
    EXPECT_NEAR(r.player.CurrentPosition(), position + 0.5, 0.03) << "the old song plays on";
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
    r.run(3.5);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->0", "end"}));
}

TEST(DeckPlayer, FileCutShortWhilePlayingEndsWhereTheDataEnds) {
    Rig r;
    const QString f = r.tone("cut.wav", 4.0);
    ASSERT_TRUE(r.player.Open(f));
    r.run(0.5);
    // Another program truncates the file to its first two seconds.
    ASSERT_EQ(::truncate(f.toLocal8Bit().constData(), 44 + 2 * kRate * 4), 0);
    r.run(4.0);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->0", "end"}));
    EXPECT_NEAR(r.player.Duration(), 2.0, 0.02);
}

}  // namespace

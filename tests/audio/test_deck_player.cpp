// The deck player on an offline engine: transport semantics, notifications
// and their order, and files that cannot be played.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/decks/EngineDeckPlayer.h"
#include "support/AudioRender.h"
#include "support/WavWriter.h"

namespace {

struct Rig {
    QTemporaryDir dir;
    std::shared_ptr<audio::Engine> engine = std::make_shared<audio::Engine>(audio::Engine::Offline{44100});
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
    // Renders as the device would, the UI timer's poll every 50 ms; returns the rms heard.
    double run(double seconds) {
        const size_t from = out.size() / 2;
        for (long i = 0; i < std::lround(seconds / 0.05); ++i) {
            Render(*engine, 0.05, &out, nullptr, 2205);
            player.poll();
        }
        return Rms(out, from, out.size() / 2 - from);
    }
    void expectAt(double seconds) const { EXPECT_NEAR(player.CurrentPosition(), seconds, 0.03); }
};

// Stop rewinds and raises no end of stream; a song played out stops at its end
// and raises it once, and plays again from the start, even with its file gone.
TEST(DeckPlayer, TransportAndItsNotifications) {
    Rig r;
    r.player.Play();  // nothing open yet: all harmless
    r.player.Pause();
    r.player.SetCurrentPosition(3);
    r.run(0.1);
    EXPECT_EQ(std::make_tuple(r.player.PlayState(), r.player.Duration()), std::make_tuple(0, 0.0));
    EXPECT_TRUE(r.log.isEmpty());

    const QString song = r.tone("a.wav", 3.0);
    ASSERT_TRUE(r.player.Open(song)) << r.player.LastError().toStdString();
    EXPECT_EQ(r.player.PlayState(), DeckPlayer::Playing);
    EXPECT_NEAR(r.player.Duration(), 3.0, 0.001);
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
    r.run(3.5);
    EXPECT_NEAR(r.player.CurrentPosition(), 3.0, 0.001);
    r.player.Play();
    EXPECT_LT(r.player.CurrentPosition(), 0.001);
    r.run(0.25);
    r.expectAt(0.25);
    ASSERT_TRUE(QFile::remove(song));
    r.run(3.5);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->1", "state 1->2", "state 2->0", "state 0->2",
                                  "state 2->0", "end", "state 0->2", "state 2->0", "end"}));
}

TEST(DeckPlayer, AFailedOpenGivesAReasonAndTheDeckPlaysOnAsItWas) {
    // One file for each way an open fails: no name, no file, a folder, no decoder
    // for it, a container without audio, and a MIDI wrapper without the MIDI file.
    const std::pair<const char*, QByteArray> kBad[] = {
        {"", {}},
        {"nothere.mp3", {}},
        {".", {}},
        {"notes.wav", QByteArray("just some words\n").repeated(200)},
        {"h.wav",
         QByteArray("RIFF$\0\0\0WAVEfmt \x10\0\0\0\1\0\2\0\x44\xac\0\0\x10\xb1\2\0\4\0\x10\0data\0\0\0\0",
                    44)},
        {"x.rmi", QByteArray("RIFF\x0c\0\0\0RMIDLIST\0\0\0\0", 20)},
    };
    Rig r;
    const QString good = r.tone("good.wav", 3.0);
    ASSERT_TRUE(r.player.Open(good));
    r.player.SetVolume(-600);
    r.log.clear();
    for (const auto& [name, bytes] : kBad) {
        SCOPED_TRACE(name);
        QFile file(r.dir.filePath(name));
        ASSERT_TRUE(bytes.isEmpty() ||
                    (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()));
        file.close();
        const double position = r.player.CurrentPosition();
        EXPECT_FALSE(r.player.Open(*name ? file.fileName() : QString()));
        EXPECT_FALSE(r.player.LastError().isEmpty());
        EXPECT_EQ(std::make_tuple(r.player.FileName(), r.player.PlayState(), r.player.Volume()),
                  std::make_tuple(good, int(DeckPlayer::Playing), -600));
        EXPECT_NEAR(r.player.Duration(), 3.0, 0.001);
        r.run(0.2);
        r.expectAt(position + 0.2);
    }
    EXPECT_TRUE(r.log.isEmpty());
}

}  // namespace

// The real output path through SDL: what reaches the "device" is the mix.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "AudioFixtures.h"
#include "app/decks/DeckFactory.h"
#include "support/WavWriter.h"

using namespace fixtures;

namespace {

// Every test here sets the driver it needs, so none has to put old values back.
void useDiskDriver(const QString& file, const char* delayMs = nullptr) {
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", file.toLocal8Bit());
    delayMs ? qputenv("SDL_DISKAUDIODELAY", delayMs) : qunsetenv("SDL_DISKAUDIODELAY");
}

TEST(SdlOutput, TheDiskDriverReceivesTheMixOfTwoDecks) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("device.raw");
    useDiskDriver(raw);
    const QString a = dir.filePath("a.wav"), b = dir.filePath("b.wav");
    ASSERT_TRUE(WriteSineWav(a, 5, 441, 0.25));
    ASSERT_TRUE(WriteSineWav(b, 5, 1000, 0.25));
    int rate = 0;
    qint64 startByte = 0;
    {
        audio::Engine engine;
        ASSERT_EQ(engine.driver(), "disk");
        rate = engine.rate();
        audio::Deck* d1 = engine.addDeck();
        audio::Deck* d2 = engine.addDeck();
        std::string error;
        ASSERT_TRUE(d1->open(a.toStdString(), error)) << error;
        ASSERT_TRUE(d2->open(b.toStdString(), error)) << error;
        d2->setVolume(-600);
        // Full rings first, so a busy machine cannot starve the first second.
        for (int i = 0; i < 2000 && (d1->bufferedBlocks() < 50 || d2->bufferedBlocks() < 50); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        startByte = QFileInfo(raw).size();
        d1->play();
        d2->play();
        const qint64 wanted = startByte + qint64(1.5 * rate) * 2 * sizeof(float);
        for (int i = 0; i < 2000 && QFileInfo(raw).size() < wanted; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_GE(QFileInfo(raw).size(), wanted) << "the device was not fed";
        EXPECT_GT(engine.callbacks(), 0u);
    }
    QFile f(raw);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    std::vector<float> out(size_t(bytes.size()) / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    // One second from when play began: deck 1 at full level, deck 2 6 dB down.
    const size_t from = size_t(startByte) / (2 * sizeof(float)) + size_t(rate) / 4, n = size_t(rate);
    EXPECT_NEAR(toneAmplitude(out, rate, 441, from, n), 0.25, 0.01);
    EXPECT_NEAR(toneAmplitude(out, rate, 1000, from, n), 0.25 * 0.501, 0.01);
    EXPECT_LT(toneAmplitude(out, rate, 700, from, n), 0.005);
}

TEST(SdlOutput, TheProgramsDeckEndsOnTheUiThreadInRealTime) {
    QTemporaryDir dir;
    useDiskDriver(dir.filePath("device.raw"), "5");
    const QString song = dir.filePath("short.wav");
    ASSERT_TRUE(WriteSineWav(song, 0.5, 441, 0.25));

    SetDeckFactory({});  // the program's own players, on the shared engine
    std::unique_ptr<DeckPlayer> deck = MakeDeckPlayer(1);
    QStringList log;
    QObject::connect(deck.get(), &DeckPlayer::PlayStateChange,
                     [&](int a, int b) { log << QString("state %1->%2").arg(a).arg(b); });
    QObject::connect(deck.get(), &DeckPlayer::EndOfStream, [&](int) { log << "end"; });
    ASSERT_TRUE(deck->Open(song)) << deck->LastError().toStdString();
    for (int i = 0; i < 1000 && !log.contains("end"); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(log, QStringList({"state 0->2", "state 2->0", "end"}));
    EXPECT_NEAR(deck->CurrentPosition(), 0.5, 0.01);
}

TEST(SdlOutput, WithoutADeviceItPlaysSilentlyAndSaysSoOnce) {
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    testing::internal::CaptureStderr();
    {
        audio::Engine engine;
        EXPECT_EQ(engine.driver(), "dummy");
        EXPECT_FALSE(engine.hasDevice());
        EXPECT_GT(engine.rate(), 0);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("no audio device"), std::string::npos) << err;
}

}  // namespace

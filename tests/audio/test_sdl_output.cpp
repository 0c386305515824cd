// The real output path through SDL: what reaches the "device" is the mix, and
// the program's decks report on the UI thread in real time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/decks/EngineDeckPlayer.h"
#include "support/AudioRender.h"
#include "support/WavWriter.h"

namespace {

void waitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

TEST(SdlOutput, TheDiskDriverReceivesTheMixOfTwoDecksThatEndOnTheUiThread) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("device.raw"), a = dir.filePath("a.wav"), b = dir.filePath("b.wav");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", raw.toLocal8Bit());
    ASSERT_TRUE(WriteSineWav(a, 1.5, 441, 0.25));
    ASSERT_TRUE(WriteSineWav(b, 1.5, 1000, 0.25));
    auto engine = std::make_shared<audio::Engine>();
    ASSERT_EQ(engine->driver(), "disk");
    const int rate = engine->rate();
    EngineDeckPlayer d1(engine), d2(engine);
    QStringList log;
    QObject::connect(&d1, &DeckPlayer::PlayStateChange,
                     [&](int from, int to) { log << QString("state %1->%2").arg(from).arg(to); });
    QObject::connect(&d1, &DeckPlayer::EndOfStream, [&](int) { log << "end"; });
    ASSERT_TRUE(d1.Open(a)) << d1.LastError().toStdString();
    ASSERT_TRUE(d2.Open(b)) << d2.LastError().toStdString();
    d1.Pause();
    d2.Pause();
    d2.SetVolume(-600);
    // Full rings first, so a busy machine cannot starve the first second.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const qint64 startByte = QFileInfo(raw).size();
    d1.Play();
    d2.Play();
    waitFor([&] { return log.contains("end"); });
    EXPECT_EQ(log, QStringList({"state 0->2", "state 2->1", "state 1->2", "state 2->0", "end"}));
    EXPECT_NEAR(d1.CurrentPosition(), 1.5, 0.01);
    EXPECT_GT(engine->callbacks(), 0u);

    QFile f(raw);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    std::vector<float> out(size_t(bytes.size()) / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    // One second from a quarter second after play began: deck 1 at full level, deck 2 6 dB down.
    const size_t from = size_t(startByte) / (2 * sizeof(float)) + size_t(rate) / 4;
    ASSERT_GE(out.size(), 2 * (from + rate)) << "the device was not fed";
    for (auto [hz, amplitude, within] :
         {std::tuple{441, 0.25, 0.01}, {1000, 0.25 * 0.501, 0.01}, {700, 0.0, 0.005}})
        EXPECT_NEAR(ToneAmplitude(out.data() + 2 * from, 2, rate, hz, rate), amplitude, within) << hz;
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

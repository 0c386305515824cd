// The deck player on an offline engine: transport semantics, notifications
// and their order, the very samples it makes, and files that cannot be
// played; and on the real output path through SDL.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <bit>

#include "AudioFixtures.h"
#include "app/decks/EngineDeckPlayer.h"

namespace {

struct Rig {
    QTemporaryDir dir;
    std::shared_ptr<audio::Engine> engine;
    EngineDeckPlayer player{engine};
    QStringList log;
    std::vector<float> out;

    explicit Rig(std::shared_ptr<audio::Engine> e) : engine(std::move(e)) {
        QObject::connect(&player, &DeckPlayer::PlayStateChange,
                         [this](int a, int b) { log << QString("state %1->%2").arg(a).arg(b); });
        QObject::connect(&player, &DeckPlayer::EndOfStream, [this](int) { log << "end"; });
    }
    // Renders as the device would, the UI timer's poll every 50 ms.
    void run(double seconds) {
        for (long i = 0; i < std::lround(seconds / 0.05); ++i) {
            Render(*engine, 0.05, &out, nullptr, 2205);
            player.poll();
        }
    }
};

// Stop rewinds and raises no end of stream; a song played out stops at its end
// and raises it once, and plays again from the start, even with its file gone.
// A failed open gives a reason and leaves the deck playing on as it was. No
// action clicks: a level change of 0.5 takes at least 10 ms. A seek on a
// playing deck switches at once, and no sample of before it follows the first
// one after it. The sides stay apart. With the sound options off, the samples
// are the very ones the engine made before the options existed: the hash
// guards what the checks do not see (where a paused deck holds and where a
// seek or stop lands).
TEST(DeckPlayer, TransportNotificationsAndFailedOpens) {
    // One file for each way an open fails: no name, a folder, no decoder for
    // it, a container without audio, a MIDI file cut in its header, of
    // division 0 or without tracks, MIDI wrappers without a MIDI file, and
    // headers claiming 4 Hz and 400 MHz (which once held the resampler for seconds).
    const std::pair<const char*, QByteArray> kBad[] = {
        {"", {}},
        {".", {}},
        {"notes.wav", QByteArray("just some words\n").repeated(200)},
        {"h.wav",
         QByteArray("RIFF$\0\0\0WAVEfmt \x10\0\0\0\1\0\2\0\x44\xac\0\0\x10\xb1\2\0\4\0\x10\0data\0\0\0\0",
                    44)},
        {"cut.mid", "MThd"},
        {"div0.mid",
         QByteArray("MThd\0\0\0\6\0\0\0\1\0\0MTrk\0\0\0\x0c\0\x90\x3c\x64\x60\x80\x3c\0\0\xff\x2f\0", 34)},
        {"none.mid", QByteArray("MThd\0\0\0\6\0\1\0\1\1\xe0", 14)},
        {"x.rmi", QByteArray("RIFF\x0c\0\0\0RMIDLIST\0\0\0\0", 20)},
        {"y.rmi", QByteArray("RIFF\x1a\0\0\0RMIDdata\x0e\0\0\0not a MIDI one", 34)},
        {"slow.snd",
         QByteArray(".snd\0\0\0\x18\xff\xff\xff\xff\0\0\0\3\0\0\0\4\0\0\0\1", 24) + QByteArray(8000, 1)},
        {"fast.snd", QByteArray(".snd\0\0\0\x18\xff\xff\xff\xff\0\0\0\3\x17\xd7\x84\0\0\0\0\1", 24) +
                         QByteArray(8000, 1)},
    };
    Options::Set(SoundOptions::kSmoothFades, false);
    Rig r(std::make_shared<audio::Engine>(audio::Engine::Offline{44100}));
    r.player.Play();  // nothing open yet: all harmless
    r.player.Pause();
    r.player.SetCurrentPosition(3);
    r.run(0.1);

    // Left a level of 0.5 that falls to -0.25 over 1.9-2.0 s and to 0 over the
    // last 0.1 s (no step of the song's own), right a 441 Hz tone.
    const QString song = r.dir.filePath("a.wav");
    ASSERT_TRUE(WriteWav(song, 44100, 2, 3 * 44100, [](long i, int c) {
        const double t = i / 44100.0;
        return c ? 0.5 * std::sin(i * 2 * M_PI / 100)
                 : std::clamp(14.75 - 7.5 * t, -0.25, 0.5) * std::clamp(10 * (3 - t), 0.0, 1.0);
    }));
    ASSERT_TRUE(r.player.Open(song)) << r.player.LastError().toStdString();
    r.run(1.0);
    // Each side alone from 0.4 s into the song, over 200 whole cycles.
    for (auto [ch, rms, tone] : {std::tuple{0, 0.5, 0.0}, {1, 0.354, 0.5}}) {
        EXPECT_NEAR(Rms(r.out, 22050, 20000, ch), rms, 1e-3) << ch;
        EXPECT_NEAR(ToneAmplitude(r.out.data() + 2 * 22050 + ch, 2, 44100, 441, 20000), tone, 1e-3) << ch;
    }
    r.player.SetVolume(-600);
    r.player.Pause();
    r.run(1.1);
    r.player.Play();
    r.run(0.5);
    const size_t seek = r.out.size() / 2;
    r.player.SetCurrentPosition(2.0);
    r.run(0.5);
    size_t switched = seek;
    while (2 * switched < r.out.size() && r.out[2 * switched] >= 0) ++switched;
    EXPECT_LT(switched - seek, 44100 / 20u) << "the new audio follows at once";
    for (size_t i = switched; 2 * i < r.out.size(); ++i) ASSERT_LE(r.out[2 * i], 0) << "frame " << i;
    r.player.Stop();
    r.run(0.5);
    r.player.GlideVolume(-1500, 1000);
    r.player.Play();
    r.run(3.5);
    EXPECT_NEAR(r.player.CurrentPosition(), 3.0, 0.001);
    r.player.Play();
    EXPECT_LT(r.player.CurrentPosition(), 0.001);
    for (const auto& [name, bytes] : kBad) {
        ASSERT_TRUE(bytes.isEmpty() || fixtures::writeBytes(r.dir.filePath(name).toStdString(), bytes));
        EXPECT_FALSE(r.player.Open(*name ? r.dir.filePath(name) : QString())) << name;
        EXPECT_FALSE(r.player.LastError().isEmpty()) << name;
    }
    r.run(0.25);
    EXPECT_EQ(
        std::make_tuple(r.player.FileName(), r.player.PlayState(), r.player.Volume(), r.player.Duration()),
        std::make_tuple(song, int(DeckPlayer::Playing), -1500, 3.0));
    ASSERT_TRUE(QFile::remove(song));
    r.run(3.5);
    EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->1", "state 1->2", "state 2->0", "state 0->2",
                                  "state 2->0", "end", "state 0->2", "state 2->0", "end"}));
    float worst = 0;
    for (size_t i = 2; i < r.out.size(); i += 2) worst = std::max(worst, std::fabs(r.out[i] - r.out[i - 2]));
    EXPECT_LE(worst, 0.5f / (0.010f * 44100));
    uint64_t hash = 1469598103934665603ull;  // FNV-1a over the samples' bits
    for (float v : r.out) hash = (hash ^ std::bit_cast<uint32_t>(v)) * 1099511628211ull;
    EXPECT_EQ(hash, 612819356971509983u);
    // A seek to the very end while playing ends there, not where the deck was.
    r.player.Play();
    r.run(0.5);
    r.player.SetCurrentPosition(3.0);
    r.run(0.25);
    EXPECT_NEAR(r.player.CurrentPosition(), 3.0, 1e-3);
}

// Each sound option through the deck player, one at a time: each song is
// heard from its first sound to its last (with skip silence), at -18 LUFS
// (with level loudness: this chirp's RMS there is 0.0917 over seconds 1-5,
// whatever its level in the file), never clipped, and at its final level
// from its first moment, not after a jump.
TEST(DeckPlayer, SkipSilenceAndLevelLoudness) {
    constexpr int kRate = 48000;
    const struct {
        const char* name;
        double seconds, start, end, rms;  // rms 0: not compared
        const Options::Flag& option;
        std::function<double(long)> signal;
    } kSongs[] = {
        // The silent tail is longer than the first stretch the deck looks at from the end.
        {"quiet ends", 25, 5, 10, 0, SoundOptions::kSkipSilence,
         [](long f) { return f >= 5 * kRate && f < 10 * kRate ? fixtures::chirp(f, kRate) : 0.0; }},
        {"silent throughout", 3, 0, 3, 0, SoundOptions::kSkipSilence, [](long) { return 0.0005; }},
        {"loud", 6, 0, 6, 0.0917, SoundOptions::kLevelLoudness,
         [](long f) { return fixtures::chirp(f, kRate, 0.5); }},
        {"quiet", 6, 0, 6, 0.0917, SoundOptions::kLevelLoudness,
         [](long f) { return fixtures::chirp(f, kRate, 0.125); }},
        // Too quiet to reach the target, with a near full-scale click a second.
        {"clicks", 6, 0, 6, 0, SoundOptions::kLevelLoudness,
         [](long f) { return f % kRate == 0 ? 0.95 : fixtures::chirp(f, kRate, 0.02); }},
    };
    const auto only = [](const Options::Flag* on) {
        for (const Options::Flag* o : {&SoundOptions::kSkipSilence, &SoundOptions::kLevelLoudness})
            Options::Set(*o, o == on);
    };
    Rig r(std::make_shared<audio::Engine>(audio::Engine::Offline{kRate}));
    for (const auto& song : kSongs) {
        SCOPED_TRACE(song.name);
        only(&song.option);
        const QString path = r.dir.filePath(QString(song.name) + ".wav");
        ASSERT_TRUE(WriteWav(path, kRate, 2, long(song.seconds * kRate),
                             [&](long f, int) { return song.signal(f); }));
        r.out.clear();
        r.log.clear();
        ASSERT_TRUE(r.player.Open(path));
        while (!r.log.contains("end") && r.out.size() < 2u * 30 * kRate) r.run(0.05);
        for (double end : {r.player.Duration(), r.player.CurrentPosition()})
            EXPECT_NEAR(end, song.end, 0.001);
        EXPECT_NEAR(double(r.out.size()) / 2 / kRate, song.end - song.start, 0.1) << "what was heard";
        EXPECT_GT(Rms(r.out, 0, 2048), song.start > 0 ? 0.1 : 0.0) << "sound from the start";
        EXPECT_NEAR(20 * std::log10(Rms(r.out, 2048, 4410) / Rms(r.out, 2 * kRate + 2048, 4410)), 0, 0.3);
        for (float v : r.out) ASSERT_LT(std::fabs(v), 0.99f);
        if (song.rms) {
            EXPECT_NEAR(Rms(r.out, kRate, 4 * kRate), song.rms, 0.005);
        }
    }
    only(nullptr);
}

// Without a device the engine plays silently and says so once; a second
// device that does not open leaves the first playing. With one,
// what reaches the "device" is the deck's sound, and its end is reported on
// the UI thread in real time.
TEST(SdlOutput, NoDeviceSaysSoOnceAndTheDiskDriverReceivesTheSongThatEnds) {
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    testing::internal::CaptureStderr();
    {
        audio::Engine engine;
        EXPECT_EQ(std::make_pair(engine.driver(), engine.hasDevice()),
                  std::make_pair(std::string("dummy"), false));
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("no audio device"), std::string::npos) << err;
    // The dummy driver has one device: a pre-listen output that cannot open
    // there leaves the main output as it is, without restarting the sound system.
    qputenv("SDL_AUDIODRIVER", "dummy");
    {
        audio::Engine engine;
        std::string error;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(engine.selectDevice(audio::Engine::Output::PreListen, "", error));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(std::make_pair(engine.driver(), engine.isOpen(audio::Engine::Output::Main)),
                  std::make_pair(std::string("dummy"), true));
    }

    QTemporaryDir dir;
    const QString raw = dir.filePath("device.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", raw.toLocal8Bit());
    int rate = 0;
    {
        Rig r(std::make_shared<audio::Engine>());
        ASSERT_EQ(r.engine->driver(), "disk");
        rate = r.engine->rate();
        const QString a = r.dir.filePath("a.wav");
        ASSERT_TRUE(WriteSineWav(a, 1.5, 441, 0.25));
        QEventLoop ended;
        QObject::connect(&r.player, &DeckPlayer::EndOfStream, &ended, &QEventLoop::quit);
        QTimer::singleShot(60000, &ended, &QEventLoop::quit);  // a bound for a hung device, not a measure
        ASSERT_TRUE(r.player.Open(a)) << r.player.LastError().toStdString();
        ended.exec();
        EXPECT_EQ(r.log, QStringList({"state 0->2", "state 2->0", "end"}));
    }  // the device closes: all it received is in the file

    // Judged after the fact, whatever the machine's load did to the timing: a
    // deck whose decoder falls behind gives silence and holds its position,
    // so with such gaps left out the device received the whole song, once.
    QFile f(raw);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const auto* out = reinterpret_cast<const float*>(bytes.constData());
    std::vector<float> heard;  // left side
    for (size_t i = 0, zeros = 0; i < size_t(bytes.size()) / (2 * sizeof(float)); ++i) {
        const bool gap = out[2 * i] == 0 && out[2 * i + 1] == 0;
        // A short run of zeros is a sample at a zero crossing, not a gap.
        if (!gap && !heard.empty() && zeros < 32) heard.insert(heard.end(), zeros, 0.0f);
        if (!gap) heard.push_back(out[2 * i]);
        zeros = gap ? zeros + 1 : 0;
    }
    ASSERT_NEAR(double(heard.size()) / rate, 1.5, 0.01) << "the device was not fed the whole song";
    // One second from a quarter second in.
    for (auto [hz, amplitude, within] : {std::tuple{441, 0.25, 0.01}, {700, 0.0, 0.005}})
        EXPECT_NEAR(ToneAmplitude(heard.data() + rate / 4, 1, rate, hz, rate), amplitude, within) << hz;
}

}  // namespace

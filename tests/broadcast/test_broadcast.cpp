// The mix on the air: tone songs played through the offline engine go to a
// real icecast2, and what a listener gets back is decoded and measured.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "audio/Engine.h"
#include "audio/broadcast/Broadcaster.h"
#include "audio/broadcast/SourceRefusal.h"
#include "support/AudioRender.h"
#include "support/IcecastServer.h"
#include "support/WavWriter.h"

namespace {

using audio::BroadcastStatus;
using audio::StreamFormat;
using State = BroadcastStatus::State;

constexpr int kRate = 44100;
constexpr double kFirstHz = 440, kSecondHz = 660;

// What a program prints for input fed on its standard input.
std::string run(const QString& program, const QStringList& args, const std::string& input) {
    QProcess p;
    p.start(program, args);
    p.write(QByteArray::fromStdString(input));
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

// What ffprobe makes of a captured stream: "codec[,title]\ncontainer\n" (tag
// names are case-blind, so a Vorbis "TITLE" is found as well).
std::string probe(const std::string& stream) {
    return run("ffprobe",
               {"-v", "error", "-show_entries", "format=format_name:stream=codec_name:stream_tags=title",
                "-of", "csv=p=0", "-i", "-"},
               stream);
}

// A captured stream decoded to mono at kRate.
std::vector<float> decode(const std::string& stream) {
    const std::string raw = run(
        "ffmpeg", {"-v", "error", "-i", "-", "-ac", "1", "-ar", QString::number(kRate), "-f", "f32le", "-"},
        stream);
    std::vector<float> pcm(raw.size() / sizeof(float));
    std::memcpy(pcm.data(), raw.data(), pcm.size() * sizeof(float));
    return pcm;
}

struct Show : ::testing::Test {
    IcecastServer server;
    audio::Engine engine{audio::Engine::Offline{kRate}};
    audio::Broadcaster air{kRate};
    QTemporaryDir songs;
    audio::Deck* first = engine.addDeck();
    audio::Deck* second = engine.addDeck();

    void SetUp() override {
        ASSERT_TRUE(server.start()) << server.log().toStdString();
        engine.setMixTap(&air.tap());
        std::string error;
        for (auto [deck, hz] : {std::pair{first, kFirstHz}, std::pair{second, kSecondHz}}) {
            const QString file = songs.filePath(QString::number(hz) + ".wav");
            ASSERT_TRUE(WriteSineWav(file, 30, hz));
            ASSERT_TRUE(deck->open(file.toStdString(), error)) << error;
        }
    }
    void TearDown() override {
        air.stop();
        engine.setMixTap(nullptr);
    }

    audio::BroadcastConfig config(StreamFormat format = StreamFormat::OggVorbis,
                                  const std::string& mount = "/live") const {
        audio::BroadcastConfig c;
        std::tie(c.host, c.port, c.mount, c.password, c.format) =
            std::tuple("127.0.0.1", server.port(), mount, IcecastServer::kPassword, format);
        return c;
    }
    bool reaches(State state, double seconds = 15) {
        return WaitUntil([&] { return air.status().state == state; }, seconds);
    }
    // Renders the show in tenths of a second. Paced, it then waits until the
    // encoder has taken it all (the tap holds more than any one call plays),
    // as real time would give it the chance to; unpaced, the tap drops what
    // the encoder cannot take.
    void play(double seconds, bool paced = true, std::vector<float>* out = nullptr) {
        for (double t = 0; t < seconds; t += 0.1) Render(engine, 0.1, out);
        if (paced) {
            ASSERT_TRUE(WaitUntil([&] { return air.framesTaken() == air.tap().written(); }, 10));
        }
    }
};

// Each format on a mount of its own, one after the other, on the one server.
TEST_F(Show, ListenersHearTheMixAndLearnEachSongsTitle) {
    const std::tuple<StreamFormat, const char*, const char*> kFormats[] = {
        {StreamFormat::OggVorbis, "vorbis", "ogg"},
        {StreamFormat::Opus, "opus", "ogg"},
        {StreamFormat::Mp3, "mp3", "mp3"}};
    for (const auto& [format, codec, container] : kFormats) {
        SCOPED_TRACE(codec);
        const bool mp3 = format == StreamFormat::Mp3;
        const std::string mount = std::string("/") + codec;
        const auto heardBy = [&](const std::string& title) {
            return std::string(codec) + (mp3 ? "" : "," + title) + "\n" + container + "\n";
        };
        const auto listeners = [&](int n) {
            return WaitUntil([&] { return server.mountStatus(mount)["listeners"].toInt() == n; }, 10);
        };
        // This server reads titles from Vorbis comments and MP3 metadata, not
        // (yet) from Opus comments; its view is what directory listings show.
        const auto serverTitleIs = [&](const QString& title) {
            EXPECT_TRUE(format == StreamFormat::Opus ||
                        WaitUntil([&] { return server.mountStatus(mount)["title"].toString() == title; }, 10))
                << title.toStdString();
        };
        for (audio::Deck* deck : {first, second}) {
            deck->halt();
            deck->seek(0);
            deck->setVolume(0);
        }
        air.setTitle("Ann Artist - First Tone");
        auto c = config(format, mount);
        c.kbps = 96;  // not the default, so an encoder that ignores the setting shows
        air.start(c);
        ASSERT_TRUE(reaches(State::OnAir)) << audio::StatusLine(air.status());
        StreamCapture early(server.port(), mount);
        ASSERT_TRUE(listeners(1));
        first->play();
        play(3);
        serverTitleIs("Ann Artist - First Tone");
        second->setVolume(-6000);  // a cross-fade to the second deck over a second
        second->play();
        second->setVolume(0, kRate);
        first->setVolume(-6000, kRate);
        play(1);
        first->halt();
        air.setTitle("660.wav");
        play(2);
        StreamCapture late(server.port(), mount);
        ASSERT_TRUE(listeners(2));
        play(2);
        serverTitleIs("660.wav");

        const std::string heard = early.finish();
        EXPECT_EQ(probe(heard), heardBy("Ann Artist - First Tone"));
        EXPECT_EQ(probe(late.finish()), heardBy("660.wav"));
        const std::vector<float> pcm = decode(heard);
        ASSERT_GT(pcm.size(), size_t(6 * kRate));
        // Opus and MP3 hold the setting; Vorbis spends bits where the audio
        // asks for them, and a bare tone asks for few.
        const double kbps = double(heard.size()) * 8 * kRate / double(pcm.size()) / 1000;
        EXPECT_LT(kbps, c.kbps * 1.1);
        if (format != StreamFormat::OggVorbis) {
            EXPECT_GT(kbps, c.kbps * 0.9);
        }
        for (auto [from, hz, other] : {std::tuple{1.0, kFirstHz, kSecondHz}, {5.0, kSecondHz, kFirstHz}}) {
            const float* at = pcm.data() + long(from * kRate);
            EXPECT_GT(ToneAmplitude(at, 1, kRate, hz, kRate / 2), 0.3) << from;
            EXPECT_LT(ToneAmplitude(at, 1, kRate, other, kRate / 2), 0.02) << from;
        }
        air.stop();
    }
}

TEST_F(Show, ServerRestartMidShowIsRejoinedAndTheDecksNeverNotice) {
    std::vector<float> heardInRoom;
    air.start(config());
    ASSERT_TRUE(reaches(State::OnAir));
    first->play();
    play(1, true, &heardInRoom);
    server.stop();
    ASSERT_TRUE(WaitUntil(
        [&] {
            play(0.1, false, &heardInRoom);
            return air.status().state == State::Retrying;
        },
        15));
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(reaches(State::OnAir, 30)) << audio::StatusLine(air.status()) << server.log().toStdString();
    play(1, true, &heardInRoom);
    EXPECT_TRUE(WaitUntil([&] { return !server.mountStatus("/live").isEmpty(); }, 10));

    // The same show without a broadcast, sample for sample.
    audio::Engine alone{audio::Engine::Offline{kRate}};
    PlayOn(alone, songs.filePath("440.wav").toStdString());
    std::vector<float> alone_out;
    Render(alone, double(heardInRoom.size() / 2) / kRate, &alone_out);
    alone_out.resize(heardInRoom.size());
    EXPECT_EQ(alone_out, heardInRoom);
}

TEST_F(Show, EachRefusalIsNamedAndOnlyCurableOnesAreRetried) {
    audio::Broadcaster holder(kRate);  // keeps "/taken" busy
    holder.start(config(StreamFormat::OggVorbis, "/taken"));
    ASSERT_TRUE(WaitUntil([&] { return holder.status().state == State::OnAir; }, 15));
    const struct {
        const char* what;
        std::function<void(audio::BroadcastConfig&)> change;
        State state;
        std::string message;
    } cases[] = {
        {"wrong password", [](auto& c) { c.password = "not-it"; }, State::Refused,
         "The server refused the user name or password."},
        {"mount in use", [](auto& c) { c.mount = "/taken"; }, State::Retrying,
         "Another source is already on the mount point /taken."},
        {"unknown host", [](auto& c) { c.host = "no-such-host.invalid"; }, State::Retrying,
         "Unknown host \"no-such-host.invalid\"."},
        {"nobody listening", [&](auto& c) { c.port = server.port() + 1; }, State::Retrying,
         "No Icecast server answers at 127.0.0.1:" + std::to_string(server.port() + 1) + "."},
    };
    QString refusedLog;
    for (const auto& r : cases) {
        auto c = config();
        r.change(c);
        air.start(c);
        ASSERT_TRUE(reaches(r.state)) << r.what << ": " << audio::StatusLine(air.status());
        const BroadcastStatus s = air.status();
        EXPECT_EQ(s.message, r.message) << r.what;
        EXPECT_EQ(s.attempts, 1) << r.what;
        if (refusedLog.isEmpty()) refusedLog = server.log("access.log");
    }
    // While the other cases ran, the refused password was never tried again.
    const auto refusals = [](const QString& log) {
        return log.count(QStringLiteral("/live HTTP/1.0\" 401"));
    };
    EXPECT_GT(refusals(refusedLog), 0);
    EXPECT_EQ(refusals(server.log("access.log")), refusals(refusedLog));
}

TEST(RetryDelay, DoublesFromOneSecondUpToHalfAMinute) {
    const std::pair<int, int> table[] = {{1, 1}, {2, 2}, {3, 4}, {4, 8}, {5, 16}, {6, 30}, {7, 30}, {40, 30}};
    for (auto [failures, seconds] : table) EXPECT_EQ(audio::RetryDelay(failures), seconds) << failures;
}

TEST(MixTap, AReaderThatFallsBehindLosesTheOldestAudioAndCountsIt) {
    audio::MixTap tap(8);
    std::vector<float> in, out(2 * 16);
    for (int i = 0; i < 15; ++i) in.insert(in.end(), {float(i), -float(i)});
    tap.push(in.data(), 5);
    ASSERT_EQ(tap.pop(out.data(), 3), 3);
    EXPECT_EQ(out[4], 2.0f);
    tap.push(in.data() + 10, 10);  // frames 5..14 on top of unread 3..4: 12 for 8 places
    ASSERT_EQ(tap.pop(out.data(), 16), 8);
    EXPECT_EQ(out[0], 7.0f);
    EXPECT_EQ(out[15], -14.0f);
    EXPECT_EQ(tap.dropped(), 4u);
    EXPECT_EQ(tap.pop(out.data(), 16), 0);
}

TEST(ClassifyRefusal, NamesWhatTheServerObjectedTo) {
    using audio::Refusal;
    const std::tuple<const char*, Refusal, const char*> table[] = {
        {"HTTP/1.0 403 Forbidden\r\n\r\nContent-type not supported", Refusal::FormatRefused, ""},
        {"HTTP/1.1 415 Unsupported Media Type\r\n\r\n", Refusal::FormatRefused, ""},
        {"HTTP/1.0 403 Forbidden\r\n\r\ntoo many sources connected", Refusal::Other,
         "too many sources connected"},
        {"HTTP/1.0 503 Busy\r\n\r\n", Refusal::Other, "503 Busy"},
        {"SSH-2.0-OpenSSH\r\n", Refusal::NoAnswer, ""},
    };
    for (auto [answer, kind, detail] : table) {
        const audio::RefusalReason r = audio::ClassifyRefusal(answer);
        EXPECT_EQ(r.kind, kind) << answer;
        if (kind == Refusal::Other) {
            EXPECT_EQ(r.detail, detail) << answer;
        }
    }
}

}  // namespace

// Broadcast figures: the encoder's CPU per minute of audio for each format
// at 128 kbps, and the output callback's load while a broadcast runs against
// a local icecast2 (SDL's dummy driver when there is no sound card).
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/broadcast/Broadcaster.h"
#include "audio/broadcast/StreamEncoder.h"
#include "bench/BenchSupport.h"
#include "support/IcecastServer.h"

namespace {

constexpr int kRate = 44100;

void encoderCost() {
    std::vector<float> minute(size_t(2 * 60 * kRate));
    for (long f = 0; f < 60L * kRate; ++f)
        for (int c = 0; c < 2; ++c) minute[size_t(2 * f + c)] = float(fixtures::chirp(f + c * 7, kRate, 0.4));
    for (audio::StreamFormat format : audio::AvailableFormats()) {
        std::string error, out;
        auto encoder = audio::MakeStreamEncoder(format, kRate, 128, error);
        if (!encoder) {
            std::printf("%-10s  %s\n", audio::FormatName(format), error.c_str());
            continue;
        }
        size_t bytes = 0;
        const double start = bench::threadCpuMs() / 1e3;
        encoder->begin("Bench - Tone", out);
        for (long f = 0; f < 60L * kRate; f += 1024) {
            encoder->encode(minute.data() + 2 * f, int(std::min(1024L, 60L * kRate - f)), out);
            bytes += out.size();
            out.clear();
        }
        const double cpu = bench::threadCpuMs() / 1e3 - start;
        std::printf(
            "%-10s  encoder CPU per minute of audio: %.2f s = %.2f %% of one core (%.0f kbit/s out)\n",
            audio::FormatName(format), cpu, cpu / 60 * 100, double(bytes) * 8 / 60 / 1000);
    }
}

// Average and worst callback time over `seconds`, as a share of the buffer's period.
void callbackLoad(audio::Engine& engine, const char* what, double seconds) {
    const auto& st = engine.callbackStats();
    const uint64_t n0 = st.count, t0 = st.totalNs;
    const_cast<audio::Engine::CallbackStats&>(st).maxNs = 0;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const uint64_t n = st.count - n0;
    const double periodNs = 1e9 * st.frames / engine.rate();
    if (n == 0) return (void)std::printf("%s: no callbacks\n", what);
    std::printf(
        "%-22s callback load: average %.3f %%, worst %.3f %% of its %.1f ms period (%llu callbacks)\n", what,
        double(st.totalNs - t0) / double(n) / periodNs * 100, double(st.maxNs) / periodNs * 100,
        periodNs / 1e6, (unsigned long long)n);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    encoderCost();

    QTemporaryDir dir;
    const std::string song = (dir.path() + "/song.mp3").toStdString();
    if (!fixtures::encode(song, "-c:a libmp3lame", kRate, 2, 120L * kRate,
                          [](long f, int c) { return fixtures::chirp(f + c * 7, kRate, 0.4); }))
        return std::printf("ffmpeg could not make the test song\n"), 1;
    audio::Engine engine;
    audio::Deck* deck = engine.addDeck();
    std::string error;
    deck->open(song, error);
    deck->play();
    callbackLoad(engine, "without a broadcast", 10);

    IcecastServer server;
    if (!server.start()) return std::printf("icecast2 did not start\n"), 1;
    audio::Broadcaster air(engine.rate());
    engine.setMixTap(&air.tap());
    audio::BroadcastConfig c;
    c.host = "127.0.0.1";
    c.port = server.port();
    c.password = IcecastServer::kPassword;
    air.start(c);
    WaitUntil([&] { return air.status().state == audio::BroadcastStatus::State::OnAir; }, 15);
    callbackLoad(engine, "with Ogg Vorbis on air", 10);
    const audio::BroadcastStatus s = air.status();
    std::printf("on air: %s  dropped frames: %llu\n", audio::StatusLine(s).c_str(),
                (unsigned long long)s.droppedFrames);
    air.stop();
    engine.setMixTap(nullptr);
    return 0;
}

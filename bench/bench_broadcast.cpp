// Broadcast figures: the encoder's CPU per minute of audio and the bitrate it
// puts out for each format, on a chirp and on something like music, and the
// output callback's load (and the whole program's CPU) while a broadcast runs
// against a local icecast2 (SDL's dummy driver when there is no sound card).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/broadcast/Broadcaster.h"
#include "audio/broadcast/StreamEncoder.h"
#include "bench/BenchSupport.h"
#include "support/IcecastServer.h"

namespace {

constexpr int kRate = 44100;

// Something like a mix: a chord with overtones, pink-ish noise and a kick
// twice a second. The chirp alone is one tone at a time, which a codec that
// spends bits on demand (Vorbis) codes in far fewer bits than the setting.
std::vector<float> musicLike(long frames) {
    std::vector<float> out(size_t(2 * frames));
    std::mt19937 rng(29);
    std::normal_distribution<float> white(0, 1);
    float pink[2] = {0, 0};
    for (long f = 0; f < frames; ++f) {
        const double t = double(f) / kRate, kick = std::exp(-std::fmod(t, 0.5) * 12);
        for (int c = 0; c < 2; ++c) {
            double v = 0.3 * kick * std::sin(2 * M_PI * 55 * t);
            for (double hz : {110.0, 138.6, 164.8, 220.0})
                for (int h = 1; h < 8; ++h) v += 0.025 / h * std::sin(2 * M_PI * hz * h * t + c);
            pink[c] = 0.97f * pink[c] + 0.1f * white(rng);
            out[size_t(2 * f + c)] = float(v + (pink[c] + 0.05 * white(rng)) * (0.2 + 0.5 * kick));
        }
    }
    return out;
}

void encoderCost(const char* signal, const std::vector<float>& minute, int kbps) {
    const long frames = long(minute.size() / 2);
    for (audio::StreamFormat format : audio::AvailableFormats()) {
        std::string error, out;
        auto encoder = audio::MakeStreamEncoder(format, kRate, kbps, error);
        if (!encoder) {
            std::printf("%-10s  %s\n", audio::FormatName(format), error.c_str());
            continue;
        }
        size_t bytes = 0;
        const double start = bench::threadCpuMs() / 1e3;
        encoder->begin("Bench - Tone", out);
        for (long f = 0; f < frames; f += 1024) {
            encoder->encode(minute.data() + 2 * f, int(std::min(1024L, frames - f)), out);
            bytes += out.size();
            out.clear();
        }
        const double cpu = (bench::threadCpuMs() / 1e3 - start) * 60 * kRate / double(frames);
        std::printf(
            "%-10s  %-10s at %3d kbps: encoder CPU per minute of audio %.2f s = %.2f %% of one core, "
            "%.0f kbit/s out\n",
            audio::FormatName(format), signal, kbps, cpu, cpu / 60 * 100,
            double(bytes) * 8 * kRate / double(frames) / 1000);
    }
}

// CPU seconds the broadcast's own thread has used (0 when it is not running).
double encoderThreadCpuSeconds() {
    for (const QFileInfo& task : QDir("/proc/self/task").entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(task.filePath() + "/comm"), stat(task.filePath() + "/schedstat");
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == audio::Broadcaster::kThreadName &&
            stat.open(QIODevice::ReadOnly))
            return stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return 0;
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Average and worst callback time over `seconds`, as a share of the buffer's period.
void callbackLoad(audio::Engine& engine, const char* what, double seconds) {
    const auto& st = engine.callbackStats();
    const uint64_t n0 = st.count, t0 = st.totalNs;
    const_cast<audio::Engine::CallbackStats&>(st).maxNs = 0;
    const double cpu0 = processCpuSeconds(), thread0 = encoderThreadCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = processCpuSeconds() - cpu0, thread = encoderThreadCpuSeconds() - thread0;
    const uint64_t n = st.count - n0;
    const double periodNs = 1e9 * st.frames / engine.rate();
    if (n == 0) return (void)std::printf("%s: no callbacks\n", what);
    std::printf(
        "%-22s callback load: average %.3f %%, worst %.3f %% of its %.1f ms period (%llu callbacks)\n", what,
        double(st.totalNs - t0) / double(n) / periodNs * 100, double(st.maxNs) / periodNs * 100,
        periodNs / 1e6, (unsigned long long)n);
    // Every thread of ours: with a broadcast, the encoder thread's waking,
    // copying and sending too, not just the codec.
    std::printf("%-22s whole program: %.2f %% of one core; the broadcast's thread: %.2f %%\n", what,
                cpu / seconds * 100, thread / seconds * 100);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<float> chirp(size_t(2 * 60 * kRate));
    for (long f = 0; f < 60L * kRate; ++f)
        for (int c = 0; c < 2; ++c) chirp[size_t(2 * f + c)] = float(fixtures::chirp(f + c * 7, kRate, 0.4));
    encoderCost("chirp", chirp, 128);
    const std::vector<float> music = musicLike(60L * kRate);
    for (int kbps : {64, 128, 192}) encoderCost("music-like", music, kbps);

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
    for (audio::StreamFormat format : audio::AvailableFormats()) {
        c.format = format;
        air.start(c);
        WaitUntil([&] { return air.status().state == audio::BroadcastStatus::State::OnAir; }, 15);
        const uint64_t dropped = air.status().droppedFrames;  // what played before the connection
        const std::string what = std::string("with ") + audio::FormatName(format) + " on air";
        callbackLoad(engine, what.c_str(), 10);
        const audio::BroadcastStatus s = air.status();
        std::printf("%-22s %s  frames dropped on the air: %llu\n", "", audio::StatusLine(s).c_str(),
                    (unsigned long long)(s.droppedFrames - dropped));
    }
    air.stop();
    engine.setMixTap(nullptr);
    return 0;
}

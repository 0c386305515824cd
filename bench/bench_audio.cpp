// Audio engine figures: offline decode+mix speed of two MP3 decks, time spent
// in the mixer per output buffer, open-to-first-sample latency, and (in a
// child process) peak memory with two 10-minute MP3s playing.
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

// The test fixtures' in-process encoder.
#include "audio/AudioFixtures.h"
#include "audio/SdlOutput.h"
#include "bench/BenchSupport.h"

using Clock = std::chrono::steady_clock;
using fixtures::chirp;

namespace {

constexpr int kRate = 44100;
constexpr int kBuffer = 1024;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

bool makeMp3(const std::string& path, double seconds, double pitch) {
    return fixtures::encode(path, "-c:a libmp3lame", kRate, 2, long(seconds * kRate),
                            [pitch](long f, int c) { return chirp(long(f * pitch) + c * 7, kRate, 0.4); });
}

constexpr audio::SongOptions kAllOn{true, true};

// With `all`, both decks measure their songs at open and glide to a new volume every second.
void offlineSpeed(const std::string& a, const std::string& b, bool all) {
    audio::Engine engine(audio::Engine::Offline{kRate});
    audio::Deck* d1 = engine.addDeck();
    audio::Deck* d2 = engine.addDeck();
    std::string error;
    const audio::SongOptions options = all ? kAllOn : audio::SongOptions{};
    if (!d1->open(a, error, options) || !d2->open(b, error, options)) {
        std::printf("open failed: %s\n", error.c_str());
        return;
    }
    d1->play();
    d2->play();
    d2->setVolume(-1500);
    std::vector<float> buf(2 * kBuffer);
    const long buffersPerSecond = kRate / kBuffer;
    const double audioSeconds = 120;
    const long buffers = long(audioSeconds * kRate / kBuffer);
    double mixTotal = 0, mixMax = 0;
    std::vector<double> each;
    if (all) engine.pump();  // the measuring at open has its own figure below
    const auto start = Clock::now();
    const double cpuStart = bench::threadCpuMs() / 1e3;
    for (long i = 0; i < buffers; ++i) {
        if (all && i % buffersPerSecond == 0) {
            d1->setVolume(-300 * int(i / buffersPerSecond % 10), kRate);
            d2->setVolume(-3000 + 300 * int(i / buffersPerSecond % 10), kRate);
        }
        engine.pump();
        const auto t = Clock::now();
        engine.render(buf.data(), kBuffer);
        const double m = secondsSince(t);
        mixTotal += m;
        mixMax = std::max(mixMax, m);
        each.push_back(m);
    }
    const double wall = secondsSince(start), cpu = bench::threadCpuMs() / 1e3 - cpuStart;
    const double period = double(kBuffer) / kRate;
    std::sort(each.begin(), each.end());
    const double p999 = each[size_t(each.size() * 0.999)];
    std::printf(
        "offline decode+mix, two MP3 decks%s: %.0f s of audio in %.2f s CPU = %.0fx real time on one core "
        "(%.2f s wall = %.0fx)\n",
        all ? " (songs measured at open, gliding)" : "", audioSeconds, cpu, audioSeconds / cpu, wall,
        audioSeconds / wall);
    std::printf(
        "offline render() per %d-frame buffer (%.1f ms): mean %.4f ms (%.3f%%), 99.9th percentile %.4f ms, "
        "max %.4f ms (%.3f%%)\n",
        kBuffer, period * 1e3, mixTotal / buffers * 1e3, 100 * mixTotal / buffers / period, p999 * 1e3,
        mixMax * 1e3, 100 * mixMax / period);
}

void callbackTimes(const std::string& a, const std::string& b, bool all) {
    // The real-time path: SDL's thread runs the callback, the decoders run on their own.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    audio::Engine engine;
    audio::Deck* d1 = engine.addDeck();
    audio::Deck* d2 = engine.addDeck();
    std::string error;
    const audio::SongOptions options = all ? kAllOn : audio::SongOptions{};
    d1->open(a, error, options);
    d2->open(b, error, options);
    d1->play();
    d2->play();
    d2->setVolume(-1500);
    // Counted from when both songs are heard, so the measuring at open is not in the figures.
    while (all && (d1->bufferedBlocks() == 0 || d2->bufferedBlocks() == 0))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto& st = const_cast<audio::Engine::CallbackStats&>(engine.callbackStats());
    st.count = 0, st.totalNs = 0, st.maxNs = 0;
    for (int i = 0; i < 5; ++i) {
        if (all) {
            d1->setVolume(-300 * (i + 1), engine.rate());
            d2->setVolume(-1500 + 300 * i, engine.rate());
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    const double n = double(st.count.load()), period = double(st.frames.load()) / engine.rate();
    const double mean = st.totalNs.load() / n * 1e-9, max = st.maxNs.load() * 1e-9;
    std::printf(
        "output callback, two MP3 decks%s, %d frames at %d Hz (%.1f ms), %.0f callbacks: mean %.4f ms "
        "(%.3f%% of the period), max %.4f ms (%.3f%%)\n",
        all ? " (all sound options on, gliding)" : "", st.frames.load(), engine.rate(), period * 1e3, n,
        mean * 1e3, 100 * mean / period, max * 1e3, 100 * max / period);
}

void openLatency(const std::string& file, const char* what, audio::SongOptions options = {}, int runs = 10) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    audio::Engine engine;
    double openMax = 0, firstMax = 0, openSum = 0, firstSum = 0;
    for (int i = 0; i < runs; ++i) {
        audio::Deck* d = engine.addDeck();
        std::string error;
        const auto t = Clock::now();
        if (!d->open(file, error, options)) {
            std::printf("open failed: %s\n", error.c_str());
            return;
        }
        const double opened = secondsSince(t);
        while (d->bufferedBlocks() == 0 && secondsSince(t) < 30) std::this_thread::yield();
        const double first = secondsSince(t);
        openSum += opened, firstSum += first;
        openMax = std::max(openMax, opened), firstMax = std::max(firstMax, first);
        engine.removeDeck(d);
    }
    std::printf(
        "open to first block in the ring, %s: open() mean %.1f ms (max %.1f), first block mean %.1f ms "
        "(max %.1f)\n",
        what, openSum / runs * 1e3, openMax * 1e3, firstSum / runs * 1e3, firstMax * 1e3);
}

void listDevices() {
    // The sound system as the program would find it, before any driver is forced.
    audio::SdlOutputSystem system;
    const std::vector<std::string> names = system.devices();
    std::printf("playback devices (%s driver): %zu, default \"%s\"\n", system.driver().c_str(), names.size(),
                system.defaultDevice().c_str());
    for (const std::string& n : names) std::printf("  %s\n", n.c_str());
}

// SDL's dummy driver has one device and the two outputs need two: these
// stand in, each a thread asking for a buffer every period as a device does.
struct PacedOutputs : audio::OutputSystem {
    struct Stream : audio::OutputStream {
        std::atomic<bool> quit{false};
        std::thread thread;
        Stream(audio::RenderFn fn, void* user, int rate)
            : thread([this, fn, user, rate] {
                  std::vector<float> buf(2 * kBuffer);
                  auto next = Clock::now();
                  while (!quit) {
                      fn(user, buf.data(), kBuffer);
                      next += std::chrono::microseconds(1000000LL * kBuffer / rate);
                      std::this_thread::sleep_until(next);
                  }
              }) {}
        ~Stream() override {
            quit = true;
            thread.join();
        }
        bool lost() const override { return false; }
        void lock() override {}
        void unlock() override {}
    };
    std::vector<std::string> devices() override { return {"one", "two"}; }
    std::string defaultDevice() override { return "one"; }
    std::unique_ptr<audio::OutputStream> open(const std::string&, int& rate, audio::RenderFn fn, void* user,
                                              std::string&) override {
        if (!rate) rate = 48000;
        return std::make_unique<Stream>(fn, user, rate);
    }
    bool hasDevice() const override { return true; }
    std::string driver() const override { return "paced"; }
};

void twoOutputs(const std::string& a, const std::string& b) {
    audio::Engine engine(std::make_unique<PacedOutputs>());
    std::string error;
    if (!engine.selectDevice(audio::Engine::Output::PreListen, "two", error)) {
        std::printf("pre-listen output did not open: %s\n", error.c_str());
        return;
    }
    audio::Deck* d1 = engine.addDeck();
    audio::Deck* d2 = engine.addDeck();
    d1->open(a, error);
    d2->open(b, error);
    d1->play();
    d2->play();
    // Click to first sample: open and play on the pre-listen deck until its
    // callback has mixed the song's first block (the device's buffer comes on top).
    double sum = 0, worst = 0;
    const int runs = 10;
    audio::Deck* pre = engine.addDeck(audio::Engine::Output::PreListen);
    for (int i = 0; i < runs; ++i) {
        pre->halt();
        const auto t = Clock::now();
        pre->open(i % 2 ? a : b, error);
        pre->play();
        while (pre->position() <= 0 && secondsSince(t) < 5) std::this_thread::yield();
        const double took = secondsSince(t);
        sum += took, worst = std::max(worst, took);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::printf("pre-listen click to first sample mixed, 10-minute MP3: mean %.1f ms (max %.1f)\n",
                sum / runs * 1e3, worst * 1e3);
    for (auto o : {audio::Engine::Output::Main, audio::Engine::Output::PreListen}) {
        auto& st = const_cast<audio::Engine::CallbackStats&>(engine.callbackStats(o));
        st.count = 0, st.totalNs = 0, st.maxNs = 0;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    for (auto o : {audio::Engine::Output::Main, audio::Engine::Output::PreListen}) {
        const auto& st = engine.callbackStats(o);
        const double n = double(st.count.load()), period = double(st.frames.load()) / engine.rate();
        const double mean = st.totalNs.load() / n * 1e-9, max = st.maxNs.load() * 1e-9;
        std::printf(
            "%s output callback, two decks on the main mix and one on pre-listen, %.0f callbacks: mean %.4f "
            "ms "
            "(%.3f%% of the %.1f ms period), max %.4f ms (%.3f%%)\n",
            o == audio::Engine::Output::Main ? "main" : "pre-listen", n, mean * 1e3, 100 * mean / period,
            period * 1e3, max * 1e3, 100 * max / period);
    }
}

int rssChild(const char* a, const char* b) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    audio::Engine engine;
    audio::Deck* d1 = engine.addDeck();
    audio::Deck* d2 = engine.addDeck();
    std::string error;
    if (!d1->open(a, error) || !d2->open(b, error)) return 1;
    d1->play();
    d2->play();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    d1->seek(300);  // both decks jump, as a DJ would
    d2->seek(500);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::printf("peak RSS with two 10-minute MP3s playing: %.1f MB (whole process, %s driver)\n",
                bench::statusMb("VmHWM"), engine.driver().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--rss") return rssChild(argv[2], argv[3]);
    listDevices();
    QTemporaryDir dir;
    const std::string a = dir.filePath("a.mp3").toStdString(), b = dir.filePath("b.mp3").toStdString();
    std::printf("encoding two 10-minute MP3s...\n");
    std::fflush(stdout);
    if (!makeMp3(a, 600, 1.0) || !makeMp3(b, 600, 1.3)) return 1;
    offlineSpeed(a, b, false);
    offlineSpeed(a, b, true);
    callbackTimes(a, b, false);
    callbackTimes(a, b, true);
    twoOutputs(a, b);
    openLatency(a, "10-minute MP3");
    openLatency(a, "10-minute MP3, Skip Silence", {.skipSilence = true}, 3);
    openLatency(a, "10-minute MP3, Level Loudness", {.levelLoudness = true}, 3);
    openLatency(a, "10-minute MP3, both", kAllOn, 3);
    const std::string mid = dir.filePath("a.mid").toStdString();
    fixtures::writeBytes(
        mid, fixtures::midiFile({{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0}}));
    openLatency(mid, "MIDI (sound font load)");
    std::fflush(stdout);
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) < 0) return 1;
    // A fresh process, so the encoder's memory does not count.
    const std::string cmd = std::string(self) + " --rss " + a + " " + b;
    return std::system(cmd.c_str());
}

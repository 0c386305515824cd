#pragma once
// Driving an offline audio engine and measuring what it made: rendered output
// is interleaved stereo, and the measures read one channel of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "audio/Engine.h"

struct PlayOut {
    int ends = 0;
    double renderedSeconds = 0;
    double endPosition = -1;  // deck position when its end was reported
};

// A new deck on the engine's output playing the file (a failure to open fails the test).
inline audio::Deck* PlayOn(audio::Engine& engine, const std::string& file,
                           audio::Engine::Output output = audio::Engine::Output::Main) {
    audio::Deck* d = engine.addDeck(output);
    std::string error;
    EXPECT_TRUE(d->open(file, error)) << file << ": " << error;
    d->play();
    return d;
}

// Pumps and renders `seconds` of output in chunks, appended to out when given
// (and the pre-listen output's to preListen). With a deck, stops 0.5 s after
// it reports its end (where a second end would be a fault).
inline PlayOut Render(audio::Engine& engine, double seconds, std::vector<float>* out = nullptr,
                      audio::Deck* deck = nullptr, int chunk = 1024,
                      std::vector<float>* preListen = nullptr) {
    PlayOut run;
    std::vector<float> buf(2 * size_t(chunk));
    for (long frames = 0; frames < long(seconds * engine.rate()); frames += chunk) {
        engine.pump();
        engine.render(buf.data(), chunk);
        if (out) out->insert(out->end(), buf.begin(), buf.end());
        if (preListen) {
            engine.render(audio::Engine::Output::PreListen, buf.data(), chunk);
            preListen->insert(preListen->end(), buf.begin(), buf.end());
        }
        run.renderedSeconds = double(frames + chunk) / engine.rate();
        if (deck && deck->takeEnded() && ++run.ends == 1) {
            run.endPosition = deck->position();
            seconds = std::min(seconds, run.renderedSeconds + 0.5);
        }
    }
    return run;
}

// Root mean square of one channel (0 left, 1 right) over the given frames.
inline double Rms(const std::vector<float>& s, size_t from, size_t frames, int channel = 0) {
    double sum = 0;
    for (size_t i = 2 * from + channel; i < 2 * (from + frames) && i < s.size(); i += 2)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(frames));
}

// Amplitude of a sine of frequency hz in s[0], s[stride], ... over the given frames.
inline double ToneAmplitude(const float* s, int stride, int rate, double hz, long frames) {
    double re = 0, im = 0;
    for (long i = 0; i < frames; ++i) {
        const double phase = 2 * M_PI * hz * double(i) / rate;
        re += s[stride * i] * std::cos(phase);
        im += s[stride * i] * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(frames);
}

#pragma once
// The main window on the program's own deck players over an audio engine
// rendered offline: output in 10 ms blocks, each deck polled after every
// block, the enabled watcher ticking at every whole second of output. It
// notes what a listener would: when each song starts and on which deck,
// what that deck's label said, and how long the output stayed silent while
// songs waited in the cue. Shared by the deck tests and the soak benchmark.
#include <cmath>
#include <memory>
#include <vector>

#include <QStringList>

#include "app/decks/DeckFactory.h"
#include "app/decks/EngineDeckPlayer.h"
#include "app/form1.h"
#include "audio/Engine.h"
#include "support/TempApp.h"

class OfflineShow {
  public:
    OfflineShow(TempApp& app, int rate, bool keepAudio = false) : rate(rate), keep_(keepAudio) {
        engine = std::make_shared<audio::Engine>(audio::Engine::Offline{rate});
        SetDeckFactory([e = engine](int) { return std::make_unique<EngineDeckPlayer>(e); });
        f = app.loadMain();
    }
    ~OfflineShow() { UnloadAllWindows(); }

    // Cues the files (full paths), arms the engine and plays the compiled list.
    void start(const QStringList& files, bool autoFade = true) {
        for (const QString& file : files)
            f->lstPlaylist->AddRows({{"1", file.section('/', -1), file.section('/', 0, -2) + "/"}});
        f->chkAutoFade->setChecked(autoFade);
        f->chkAutoFade_Click();
        f->Command2_Click();
        watch();
    }
    void run(double seconds) {
        const int block = rate / 100;
        std::vector<float> buf(2 * block);
        for (long end = frames + std::lround(seconds * rate); frames < end;) {
            const bool waiting = f->lstPlaylist->Count() > 0;
            engine->pump();
            engine->render(buf.data(), block);
            float peak = 0;
            for (int i = 0; i < block; ++i) {
                peak = std::max(peak, std::fabs(buf[2 * i]));
                if (keep_) left.push_back(buf[2 * i]);
            }
            // 50 dB under a tone at half scale; a deck at -6000 is silent by this measure.
            silentRun_ = peak < 0.0016 && waiting ? silentRun_ + 0.01 : 0;
            if (silentRun_ > 0) totalSilence += 0.01;
            longestSilence = std::max(longestSilence, silentRun_);
            frames += block;
            for (int d : {1, 2}) deck(d)->poll();
            watch();
            if (frames % rate == 0) {
                if (f->T1->isActive())
                    f->T1_Timer();
                else if (f->T2->isActive())
                    f->T2_Timer();
                watch();
            }
        }
    }
    // Runs until the cue is empty and no deck plays, or the time is up.
    void runToEnd(double maxSeconds) {
        for (double t = 0; t < maxSeconds; t += 1) {
            run(1);
            if (f->lstPlaylist->Count() == 0 && !playing_[1] && !playing_[2]) return;
        }
    }
    EngineDeckPlayer* deck(int n) const {
        return static_cast<EngineDeckPlayer*>((n == 1 ? f->MP1 : f->MP2)->player());
    }

    std::shared_ptr<audio::Engine> engine;
    form1* f = nullptr;
    int rate;
    std::vector<float> left;                      // the output's left channel, when kept
    QStringList started;                          // files in the order they started playing
    QStringList labels;                           // the deck's song label as each started
    double longestSilence = 0, totalSilence = 0;  // seconds, while songs waited
    // Each stretch a deck played one song, in show seconds (`to` -1 while it plays on).
    struct Run {
        QString file;
        int deck;
        double from, to = -1;
    };
    QList<Run> runs;
    double seconds() const { return double(frames) / rate; }
    long frames = 0;

  private:
    // A start is a deck that plays a file it did not, or plays again after a halt.
    void watch() {
        for (int d = 1; d <= 2; ++d) {
            const bool playing = deck(d)->PlayState() == DeckPlayer::Playing;
            const bool starts = playing && (!playing_[d] || deck(d)->FileName() != file_[d]);
            if (run_[d] >= 0 && (starts || !playing)) {
                runs[run_[d]].to = seconds();
                run_[d] = -1;
            }
            if (starts) {
                started << deck(d)->FileName();
                labels << (d == 1 ? f->lblD1 : f->lblD2)->text();
                run_[d] = int(runs.size());
                runs.append({deck(d)->FileName(), d, seconds()});
            }
            playing_[d] = playing;
            file_[d] = deck(d)->FileName();
        }
    }
    bool keep_;
    double silentRun_ = 0;
    QString file_[3];
    bool playing_[3] = {};
    int run_[3] = {-1, -1, -1};
};

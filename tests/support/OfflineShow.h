#pragma once
// The main window on the program's own deck players over an audio engine
// rendered offline: output in 10 ms blocks, each deck polled after every
// block, the enabled watcher ticking at every whole second of output. It
// notes what a listener would: when each song starts and on which deck,
// what that deck's label said, and how long the output stayed silent while
// songs waited in the cue. Shared by the deck tests and the soak benchmark.
#include <memory>
#include <vector>

#include <QStringList>

#include "app/decks/EngineDeckPlayer.h"
#include "app/form1.h"
#include "audio/Engine.h"
#include "support/TempApp.h"

class OfflineShow {
  public:
    OfflineShow(TempApp& app, int rate, bool keepAudio = false);
    ~OfflineShow();

    // Cues the files (full paths), arms the engine and plays the compiled list.
    void start(const QStringList& files, bool autoFade = true);
    void run(double seconds);
    // Runs until the cue is empty and no deck plays, or the time is up.
    void runToEnd(double maxSeconds);
    EngineDeckPlayer* deck(int n) const;

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
    void watch();
    bool keep_;
    double silentRun_ = 0;
    QString file_[3];
    bool playing_[3] = {};
    int run_[3] = {-1, -1, -1};
};

#include "support/OfflineShow.h"

#include <cmath>

#include "app/decks/DeckFactory.h"

OfflineShow::OfflineShow(TempApp& app, int rate, bool keepAudio)
    : engine(std::make_shared<audio::Engine>(audio::Engine::Offline{rate})), rate(rate), keep_(keepAudio) {
    SetDeckFactory([e = engine](int) { return std::make_unique<EngineDeckPlayer>(e); });
    f = app.loadMain();
}

OfflineShow::~OfflineShow() {
    UnloadAllWindows();
}

EngineDeckPlayer* OfflineShow::deck(int n) const {
    return static_cast<EngineDeckPlayer*>((n == 1 ? f->MP1 : f->MP2)->player());
}

void OfflineShow::start(const QStringList& files, bool autoFade) {
    for (const QString& file : files)
        f->lstPlaylist->AddRows({{"1", file.section('/', -1), file.section('/', 0, -2) + "/"}});
    f->chkAutoFade->setChecked(autoFade);
    f->chkAutoFade_Click();
    f->Command2_Click();
    watch();
}

// A start is a deck that plays a file it did not, or plays again after a halt.
void OfflineShow::watch() {
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

void OfflineShow::run(double seconds) {
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
        deck(1)->poll();
        deck(2)->poll();
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

void OfflineShow::runToEnd(double maxSeconds) {
    for (double t = 0; t < maxSeconds; t += 1) {
        run(1);
        if (f->lstPlaylist->Count() == 0 && !playing_[1] && !playing_[2]) return;
    }
}

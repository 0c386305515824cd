#pragma once
// Keeps an unattended show going: when the last song of the cue goes on air,
// one more song from the library joins the cue. The choice avoids what the
// room heard lately, and loosens its rules one at a time rather than let the
// music stop.
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QVector>
#include <random>

#include "app/Cue.h"
#include "app/Options.h"
#include "app/PlayHistory.h"

namespace KeepPlaying {

inline constexpr Options::Flag kKeepPlaying{"show/keepPlaying", "Keep Playing", false};

struct Rules {
    int freshSeconds = 2 * 60 * 60;  // a song heard within this long is not chosen again
    int artistsBack = 5;             // nor an artist among the last songs heard
};

struct Candidate {
    CueSong song;
    QString artist;  // the tag's artist, or the folder when there is no tag
};

struct Heard {
    QString file;
    QString artist;  // as Candidate::artist
    QDateTime at;
};

// Who a song is by, for the artist rule.
QString ArtistOf(const QString& tagArtist, const QString& folder);

// Chooses among `library` given `recent` (the songs heard lately, newest
// first) and the files that failed to open. First everything the rules
// allow; failing that, any artist; failing that, the song heard longest ago.
// -1 only when every song failed to open.
int Choose(const QVector<Candidate>& library, const QVector<Heard>& recent, const QSet<QString>& failed,
           const QDateTime& now, std::mt19937& rng, const Rules& rules = {});

// The library and the history as the choice needs them, and the files that
// failed since the program started.
class Picker {
  public:
    void Seed(unsigned seed) { rng_.seed(seed); }
    void Failed(const QString& file) { failed_.insert(file); }
    // A song to follow `onAir`, which is going on air now; false when there is none.
    bool Pick(const QDateTime& now, const CueSong& onAir, CueSong& song);

  private:
    std::mt19937 rng_{std::random_device{}()};
    QSet<QString> failed_;
    Rules rules_;
};

}  // namespace KeepPlaying

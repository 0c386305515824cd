#include "app/KeepPlaying.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

#include "library/Module1State.h"

namespace KeepPlaying {

QString ArtistOf(const QString& tagArtist, const QString& folder) {
    const QString a = tagArtist.trimmed();
    return a.isEmpty() ? folder : a.toCaseFolded();
}

int Choose(const QVector<Candidate>& library, const QVector<Heard>& recent, const QSet<QString>& failed,
           const QDateTime& now, std::mt19937& rng, const Rules& rules) {
    const QDateTime freshSince = now.addSecs(-rules.freshSeconds);
    QHash<QString, QDateTime> lastHeard;  // file -> the latest time it started
    QSet<QString> lastArtists;
    for (const Heard& h : recent)
        if (h.at >= freshSince && !lastHeard.contains(h.file)) lastHeard.insert(h.file, h.at);
    for (int i = 0; i < recent.size() && i < rules.artistsBack; ++i) lastArtists.insert(recent[i].artist);

    QVector<int> playable;
    for (int i = 0; i < library.size(); ++i)
        if (!failed.contains(library[i].song.file())) playable.append(i);
    if (playable.isEmpty()) return -1;
    const auto pickFrom = [&](const QVector<int>& among) {
        return among[std::uniform_int_distribution<int>(0, int(among.size()) - 1)(rng)];
    };
    QVector<int> fresh, freshOtherArtist;
    for (int i : playable) {
        if (lastHeard.contains(library[i].song.file())) continue;
        fresh.append(i);
        if (!lastArtists.contains(library[i].artist)) freshOtherArtist.append(i);
    }
    if (!freshOtherArtist.isEmpty()) return pickFrom(freshOtherArtist);
    if (!fresh.isEmpty()) return pickFrom(fresh);
    // Everything was heard lately: the song heard longest ago.
    return *std::min_element(playable.begin(), playable.end(), [&](int a, int b) {
        return lastHeard.value(library[a].song.file()) < lastHeard.value(library[b].song.file());
    });
}

bool Picker::Pick(const QDateTime& now, const CueSong& onAir, CueSong& song) {
    QVector<Candidate> library;
    if (!Module1::cnLibrary.IsOpen()) return false;
    QSqlQuery q(Module1::cnLibrary.database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT artist, path, artist2 FROM songs"))) return false;
    while (q.next()) {
        const QString folder = q.value(1).toString();
        library.append({{q.value(0).toString(), folder}, ArtistOf(q.value(2).toString(), folder)});
    }
    // Newest first: the song going on air (not yet in the history), then the
    // history's, at least the last few whenever they were heard.
    QVector<HistoryEntry> entries = PlayHistory::Since(now.addSecs(-rules_.freshSeconds));
    std::reverse(entries.begin(), entries.end());
    if (entries.size() < rules_.artistsBack) entries = PlayHistory::Last(rules_.artistsBack);
    QVector<Heard> recent;
    const auto onAirIn =
        std::find_if(library.begin(), library.end(), [&](const Candidate& c) { return c.song == onAir; });
    recent.append({onAir.file(), onAirIn != library.end() ? onAirIn->artist : onAir.folder, now});
    for (const HistoryEntry& e : entries)
        recent.append({e.song().file(), ArtistOf(e.artist, e.folder), e.started});
    const int i = Choose(library, recent, failed_, now, rng_, rules_);
    if (i < 0) return false;
    song = library[i].song;
    return true;
}

}  // namespace KeepPlaying

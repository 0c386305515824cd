// A night compressed into a fraction of a second: auto fade plays through a
// cue on scripted decks while the cue is edited between ticks (moves, deletes,
// additions at the end). The show must go on: songs play in the order the
// cue holds them when their turn comes, each once, and some deck is always
// playing while songs wait. Long runs are the benchmarks'.
#include <random>

#include "support/CueFixture.h"

TEST_F(CueTest, SoakAutoFadeThroughAnEditedCue) {
    constexpr int kSongs = 60;
    std::mt19937 rng(20261206);
    // Some songs end before their fade would start the next one.
    const auto song = [&](const QString& name) {
        FakeDeckPlayer::durations()["/m/" + name] = 2 + int(rng() % 39);
        return name;
    };
    QStringList names;
    for (int i = 1; i <= kSongs; ++i) names << song(QString("s%1.mp3").arg(i));
    fill(f->lstPlaylist, names);
    // The test drives every tick; the real timers must never add one.
    for (QTimer* t : {f->T1, f->T2}) t->setInterval(24 * 3600 * 1000);
    f->chkAutoFade->click();
    f->Command2_Click();
    FakeDeckPlayer* decks[] = {FakeDeckPlayer::deckNo(1), FakeDeckPlayer::deckNo(2)};
    const auto playing = [&] {
        return decks[0]->PlayState() == DeckPlayer::Playing || decks[1]->PlayState() == DeckPlayer::Playing;
    };
    qsizetype opened[] = {decks[0]->opened.size(), 0};
    int started = 1, added = 0, deleted = 0;
    for (int tick = 1; !cue().isEmpty() && tick < 20000 && !HasFatalFailure(); ++tick) {
        // One second of music and one engine tick: a song that starts is the one
        // on top, and the only change the tick makes to the cue is taking it off.
        // A deck that opened its previous song again would start a song not next.
        const QStringList before = cue();
        QStringList now;
        for (int n : {0, 1}) decks[n]->advance(1.0);
        if (f->T1->isActive())
            f->T1_Timer();
        else if (f->T2->isActive())
            f->T2_Timer();
        for (int n : {0, 1}) {
            now << decks[n]->opened.mid(opened[n]);
            opened[n] = decks[n]->opened.size();
        }
        ASSERT_EQ(cue(), now.isEmpty() ? before : before.mid(1)) << "tick " << tick;
        EXPECT_TRUE(cue().isEmpty() || playing()) << "both decks silent while songs wait, tick " << tick;
        if (!now.isEmpty()) {
            ASSERT_EQ(now, QStringList{"/m/" + before.value(0)})
                << "tick " << tick << " started songs not next";
            ++started;
        }
        if (tick % 10) continue;
        // One edit of the cue, as a DJ makes them while the show runs.
        ListView* list = f->lstPlaylist;
        list->ClearSelection();
        const int n = list->Count(), what = int(rng() % 20), k = 1 + int(rng() % unsigned(std::max(n, 1)));
        if (what < 8 && n >= 2) {  // nudge a song up or down (wrapping at the ends)
            list->SetSelectedItem(k);
            what % 2 ? f->cmdUP_Click() : f->cmdDown_Click();
        } else if (what < 15 && n >= 1) {  // delete a song
            list->SetSelected(k, true);
            f->cmdCS_Click();
            deleted += n - list->Count();
        } else {  // a new song from the results at the end
            fill(f->lstresults, {song(QString("x%1.mp3").arg(++added))});
            f->Command7_Click();
        }
    }
    EXPECT_TRUE(cue().isEmpty()) << "the cue never ran out";
    // Every song that was in the cue either played or was deleted.
    EXPECT_EQ(started, kSongs + added - deleted);
    // The last song is still on air after the cue ran out.
    EXPECT_TRUE(playing());
    FakeDeckPlayer::durations().clear();
}

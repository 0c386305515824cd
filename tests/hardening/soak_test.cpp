// A night compressed into a fraction of a second: auto fade plays through a
// cue on scripted decks while the cue is edited between ticks (moves, deletes,
// additions at the end). The show must go on: songs play in the order the
// cue holds them when their turn comes, each once, and some deck is always
// playing while songs wait. Handlers running inside a scan's event pumping are
// the scanner tests' concern; long runs are the benchmarks'.
#include <gtest/gtest.h>

#include <random>

#include "support/CueFixture.h"

namespace {

constexpr int kSongs = 60;
const QString kFolder = QStringLiteral("/soak/");

class SoakTest : public CueTest {
  protected:
    std::mt19937 rng{20261206};
    QStringList started;  // songs in the order they went onto a deck
    int ticks = 0, silentTicks = 0, added = 0, deleted = 0;
    qsizetype opened[3] = {};

    void SetUp() override {
        // The test drives every tick; the real timers must never add one.
        f->T1->setInterval(24 * 3600 * 1000);
        f->T2->setInterval(24 * 3600 * 1000);
        QVector<QStringList> rows;
        for (int i = 1; i <= kSongs; ++i) rows.append({"1", songName('s', i), kFolder});
        f->lstPlaylist->AddRows(rows);
    }
    void TearDown() override { FakeDeckPlayer::durations().clear(); }

    QString songName(char prefix, int i) {
        const QString name = QString("%1%2.mp3").arg(prefix).arg(i, 4, 10, QChar('0'));
        // Some songs end before their fade would start the next one.
        FakeDeckPlayer::durations()[kFolder + name] = 2 + int(rng() % 39);
        return name;
    }
    static FakeDeckPlayer* deck(int n) { return FakeDeckPlayer::deckNo(n); }
    static bool playing(int n) { return deck(n)->PlayState() == DeckPlayer::Playing; }
    int pick(int n) { return 1 + int(rng() % unsigned(n)); }

    // One second of music and one engine tick, checked against the cue as it
    // stood: a song that starts is the one on top, and the only change the
    // tick makes to the cue is taking it off.
    void tick() {
        const QStringList before = cue();
        deck(1)->advance(1.0);
        deck(2)->advance(1.0);
        if (f->T1->isActive())
            f->T1_Timer();
        else if (f->T2->isActive())
            f->T2_Timer();
        ++ticks;
        QStringList now;
        for (int n = 1; n <= 2; ++n)
            for (; opened[n] < deck(n)->opened.size(); ++opened[n])
                now << deck(n)->opened[opened[n]].mid(kFolder.size());
        ASSERT_LE(now.size(), 1) << "two songs started in tick " << ticks;
        ASSERT_EQ(cue(), now.isEmpty() ? before : before.mid(1)) << "tick " << ticks;
        if (!cue().isEmpty() && !playing(1) && !playing(2)) ++silentTicks;
        if (now.isEmpty()) return;
        ASSERT_EQ(now[0], before.value(0)) << "tick " << ticks << " started a song that was not next";
        ASSERT_FALSE(started.contains(now[0])) << now[0].toStdString() << " played twice";
        started << now[0];
    }

    // One edit of the cue, as a DJ makes them while the show runs.
    void edit() {
        ListView* list = f->lstPlaylist;
        list->ClearSelection();
        const int n = list->Count();
        const unsigned what = rng() % 20;
        if (what < 8 && n >= 2) {  // nudge a song up or down (wrapping at the ends)
            list->SetSelectedItem(pick(n));
            list->SetSelected(list->SelectedItem(), true);
            (what % 2 ? f->cmdUP_Click() : f->cmdDown_Click());
        } else if (what < 15 && n >= 1) {  // delete a song
            list->SetSelected(pick(n), true);
            f->cmdCS_Click();
            deleted += n - list->Count();
        } else {  // a new song from the results, at the end or sent to the top
            f->lstresults->Clear();
            f->lstresults->AddRows({{"1", songName('x', ++added), kFolder}});
            f->Command7_Click();
        }
        list->ClearSelection();
    }
};

TEST_F(SoakTest, AutoFadeThroughAnEditedCue) {
    f->chkAutoFade->click();
    f->Command2_Click();
    ASSERT_EQ(deck(1)->opened.size(), 1);
    started << deck(1)->opened[0].mid(kFolder.size());
    opened[1] = 1;
    while (f->lstPlaylist->Count() > 0 && ticks < 20000 && !HasFatalFailure()) {
        tick();
        if (ticks % 10 == 0) edit();
    }
    ASSERT_EQ(f->lstPlaylist->Count(), 0) << "the cue never ran out";
    EXPECT_EQ(silentTicks, 0) << "ticks with both decks silent while songs waited";
    // Every song that was in the cue either played or was deleted.
    EXPECT_EQ(started.size(), kSongs + added - deleted);
    EXPECT_GE(started.size(), 40);
    // The last song is still on air after the cue ran out.
    EXPECT_TRUE(playing(1) || playing(2));
}

}  // namespace

// A long cue played through with auto fade on: every song once, in order,
// on alternating decks, each faded out on time and none played over another.
#include "DeckFixture.h"
#include "FadeSoak.h"

class Soak : public DeckFixture {};

TEST_F(Soak, TwoHundredShortSongsPlayThroughTheEngine) {
    QStringList files;
    for (int i = 0; i < 200; ++i) {
        files << QStringLiteral("/soak/song%1.wav").arg(i, 3, 10, QChar('0'));
        FakeDeckPlayer::durations()[files.last()] = SoakSongSeconds(i);
    }
    const SoakFigures r = RunFadeSoak(f, files, [this] {
        d1()->advance(1);
        d2()->advance(1);
    });
    EXPECT_TRUE(InCueOrderOnAlternatingDecks(r, files));
    EXPECT_EQ(std::make_tuple(r.halted, r.playedOut, r.bothFull), std::make_tuple(200, 0, 0));
    EXPECT_GE(r.minLead, 10);
    EXPECT_LE(r.maxLead, 11);
    EXPECT_GE(r.minHalt, 4);
    EXPECT_LE(r.maxHalt, 5);
    // The last song (on deck 2) hands over to the idle deck 1, which hands
    // straight back; the engine then rests on deck 2 with both decks halted.
    EXPECT_TRUE(f.T2->isActive());
    EXPECT_EQ(Module1::CurrentDeck, 2);
    EXPECT_NE(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_NE(d2()->PlayState(), DeckPlayer::Playing);
}

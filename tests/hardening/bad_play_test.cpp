// Broken songs reaching the decks on the real engine player, through every
// way a song goes onto a deck by hand or without the engine: the broken song
// leaves the cue, the deck never plays its previous song again, the next good
// song takes its place at once, and the label's tooltip says what was passed over.
// How each kind of broken file fails to open is the decoder's failed-open
// table; the auto fade path meets missing files in the deck tests; here each
// way by hand meets one kind. Loading deck 1 by hand opens its song as
// playing the compiled list does and loads as deck 2 does: it has no row of
// its own. (A file cut short is no broken song: it plays to where it ends,
// see the decoder tests.)
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "app/decks/EngineDeckPlayer.h"
#include "library/ListFile.h"
#include "support/OfflineShow.h"
#include "support/TempApp.h"
#include "support/WavWriter.h"

TEST(BadPlay, EveryWayOntoADeckPassesOverABrokenSong) {
    const struct {
        const char* what;
        const char* bad;  // never written, or random bytes
        int deck;
        std::function<void(OfflineShow&)> act;
        int state;
    } ways[] = {
        {"play compiled list", "noise.mp3", 1, [](OfflineShow& s) { s.f->Command2_Click(); },
         DeckPlayer::Playing},
        {"load deck 2", "missing.mp3", 2, [](OfflineShow& s) { s.f->cmdLD2_Click(); }, DeckPlayer::Stopped},
        // Deck 1 moves on by itself with auto fade off once its song ends.
        {"deck 1 ends", "noise.mp3", 1,
         [](OfflineShow& s) {
             s.f->lstPlaylist->InsertRows(1, {{"1", "first.wav", s.f->lstPlaylist->SubItem(1, 2)}});
             s.f->Command2_Click();
             s.run(1.2);
         },
         DeckPlayer::Playing},
    };
    std::mt19937 gen(42);
    QByteArray noise(50000, 0);
    for (char& c : noise) c = char(gen());
    for (const auto& w : ways) {
        SCOPED_TRACE(w.what);
        TempApp app;
        OfflineShow show(app, 8000);
        const QString dir = app.path() + "/";
        ASSERT_TRUE(WriteSineWav(dir + "first.wav", 1.0, 300, 0.5, 8000, 1));
        ASSERT_TRUE(WriteSineWav(dir + "good.wav", 3.0, 400, 0.5, 8000, 1));
        ASSERT_TRUE(ListFile::WriteAtomically(dir + "noise.mp3", noise));
        show.f->lstPlaylist->AddRows({{"1", w.bad, dir}, {"1", "good.wav", dir}});
        w.act(show);
        show.run(0.2);
        EngineDeckPlayer* deck = show.deck(w.deck);
        QLabel* label = w.deck == 1 ? show.f->lblD1 : show.f->lblD2;
        // The cue emptied, the good song on the deck, and nothing reported.
        EXPECT_EQ(std::make_tuple(show.f->lstPlaylist->Count(), deck->FileName(), deck->PlayState(),
                                  label->text(), app.ui.messages.size()),
                  std::make_tuple(0, dir + "good.wav", w.state, QString("good.wav"), 0));
        EXPECT_TRUE(label->toolTip().contains(w.bad)) << label->toolTip().toStdString();
        // Nothing but the good songs ever played.
        for (const QString& s : show.started) EXPECT_TRUE(s.endsWith(".wav")) << s.toStdString();
    }
}

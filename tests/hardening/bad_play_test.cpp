// Broken songs reaching the decks on the real engine player, through every
// way a song goes onto a deck by hand or without the engine: the broken song
// leaves the cue, the deck never plays its previous song again, the next good
// song takes its place at once, and the label's tooltip says what was passed over.
// (A file cut short is no broken song: it plays to where it ends, see the decoder tests.)
#include <gtest/gtest.h>

#include <QFile>
#include <functional>
#include <random>

#include "app/decks/EngineDeckPlayer.h"
#include "support/OfflineShow.h"
#include "support/TempApp.h"
#include "support/WavWriter.h"

namespace {

QByteArray randomBytes(int n) {
    std::mt19937 gen(42);
    QByteArray b(n, 0);
    for (char& c : b) c = char(gen());
    return b;
}

}  // namespace

TEST(BadPlay, EveryWayOntoADeckPassesOverABrokenSong) {
    const struct {
        const char* name;
        QByteArray bytes;
        bool write;
    } kinds[] = {{"zero.mp3", {}, true}, {"missing.mp3", {}, false}, {"noise.mp3", randomBytes(50000), true}};
    const struct {
        const char* what;
        int deck;
        std::function<void(OfflineShow&)> act;
        int state;
    } ways[] = {
        {"play compiled list", 1, [](OfflineShow& s) { s.f->Command2_Click(); }, DeckPlayer::Playing},
        {"load deck 1", 1, [](OfflineShow& s) { s.f->cmdLD1_Click(); }, DeckPlayer::Stopped},
        {"load deck 2", 2, [](OfflineShow& s) { s.f->cmdLD2_Click(); }, DeckPlayer::Stopped},
        // Deck 1 moves on by itself with auto fade off once its song ends.
        {"deck 1 ends", 1,
         [](OfflineShow& s) {
             s.f->lstPlaylist->InsertRows(1, {{"1", "first.wav", s.f->lstPlaylist->SubItem(1, 2)}});
             s.f->Command2_Click();
             s.run(1.2);
         },
         DeckPlayer::Playing},
    };
    for (const auto& k : kinds) {
        for (const auto& w : ways) {
            SCOPED_TRACE(std::string(w.what) + ", " + k.name);
            TempApp app;
            OfflineShow show(app, 8000);
            const QString dir = app.path() + "/";
            ASSERT_TRUE(WriteSineWav(dir + "first.wav", 1.0, 300, 0.5, 8000, 1));
            ASSERT_TRUE(WriteSineWav(dir + "good.wav", 3.0, 400, 0.5, 8000, 1));
            QFile bad(dir + k.name);
            if (k.write) {
                ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
                bad.write(k.bytes);
                bad.close();
            }
            show.f->lstPlaylist->AddRows({{"1", k.name, dir}, {"1", "good.wav", dir}});
            w.act(show);
            show.run(0.2);
            EngineDeckPlayer* deck = show.deck(w.deck);
            QLabel* label = w.deck == 1 ? show.f->lblD1 : show.f->lblD2;
            EXPECT_EQ(show.f->lstPlaylist->Count(), 0);
            EXPECT_EQ(std::make_tuple(deck->FileName(), deck->PlayState(), label->text()),
                      std::make_tuple(dir + "good.wav", w.state, QString("good.wav")));
            EXPECT_TRUE(label->toolTip().contains(k.name)) << label->toolTip().toStdString();
            EXPECT_TRUE(app.ui.messages.isEmpty());
            // Nothing but the good songs ever played.
            for (const QString& s : show.started) EXPECT_TRUE(s.endsWith(".wav")) << s.toStdString();
        }
    }
}

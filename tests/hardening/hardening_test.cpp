// Input from the wild and long, busy shows: nothing may crash, lose the cue
// the DJ has lined up, or leave the air silent while songs wait.
#include <QByteArray>
#include <QDir>
#include <functional>
#include <random>

#include "app/decks/EngineDeckPlayer.h"
#include "audio/MidiFile.h"
#include "support/CueFixture.h"
#include "support/OfflineShow.h"
#include "support/WavWriter.h"

// List files with odd line ends, a byte order mark, a cut-off last line,
// binary garbage and huge lines: a file with songs in it gives up its songs.
// Each file through both entry points that read a list: Open List and the
// auto-recover load (the backup file serves as the list opened). That names
// and folders of every kind come back from a saved list is the cue tests' check.
TEST_F(CueTest, OpenListAndAutoRecoverTakeTheSongsOrKeepTheCue) {
    QByteArray garbage;
    for (uint32_t x = 2463534242u; garbage.size() < 4096;)
        garbage += char((x = x * 1664525u + 1013904223u) >> 24);
    garbage.replace('*', 'x');  // no accidental separators
    const QByteArray huge = "\"/m/*()*" + QByteArray(10 * 1024 * 1024, 'a') + ".mp3\"\r\n";
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList songs;  // what the cue must hold after opening; empty: the cue stays as it was
    } cases[] = {
        {"bom", "\xEF\xBB\xBF\"/m/*()*a.mp3\"\r\n\"/m/*()*b.mp3\"\r\n", {"a.mp3", "b.mp3"}},
        {"lone LF", "\"/m/*()*a.mp3\"\n\"/m/*()*b.mp3\"\n", {"a.mp3", "b.mp3"}},
        {"lone CR", "\"/m/*()*a.mp3\"\r\"/m/*()*b.mp3\"\r", {"a.mp3", "b.mp3"}},
        {"truncated last line", "\"/m/*()*a.mp3\"\r\n\"/m/*()*b.mp", {"a.mp3", "b.mp"}},
        {"binary garbage", garbage, {}},
        // Blank lines, a record without separator in the middle, an unquoted comma (two fields).
        {"damage in the middle",
         "\"/a/*()*1.mp3\"\r\n\r\n   \r\n\"garbage\"\r\n/b/*()*2, 3.mp3\n\"/c/*()*4.mp3\"",
         {"1.mp3", "2", "4.mp3"}},
        // A doubled quote is a quote of the name; an unquoted record is trimmed of
        // spaces only; after a closing quote the rest up to a comma is dropped.
        {"quoting",
         "\"/m/*()*a \"\"q\"\", b\"\r\n  /m/*()*c d \t \r\n\"/m/*()*e\" junk,\"/m/*()*f\"\r\n",
         {"a \"q\", b", "c d \t", "e", "f"}},
        {"10 MB line", huge, {QString(10 * 1024 * 1024, 'a') + ".mp3"}},
        {"one record in a Windows code page",
         "\"/m/*()*Caf\xC3\xA9.mp3\"\r\n\"/m/*()*caf\xE9.mp3\"\r\n",
         {QString::fromUtf8("Caf\u00e9.mp3"), QString::fromUtf8("caf\u00e9.mp3")}},
        {"unquoted record with a quote, as earlier versions wrote it",
         "/m/*()*say \"hi\".mp3\r\n",
         {"say \"hi\".mp3"}},
        // No file at all, and a folder by the list's name, which even root (who
        // reads every file) cannot read; the folder stays, so it comes last.
        {"no file", QByteArray(), {}},
        {"a folder", "<folder>", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Module1::AutoRecoverFile());
        if (c.bytes == "<folder>")
            ASSERT_TRUE(QDir().mkpath(Module1::AutoRecoverFile()));
        else if (!c.bytes.isNull())
            writeBackup(c.bytes);
        fill(f->lstPlaylist, {"keep1.mp3", "keep2.mp3"});
        app.ui.files.push_back({Module1::AutoRecoverFile()});
        app.ui.messages.clear();
        f->cmdOpen_Click();
        EXPECT_EQ(cue(), c.songs.isEmpty() ? QStringList({"keep1.mp3", "keep2.mp3"}) : c.songs);
        EXPECT_EQ(app.ui.messages.size(), c.songs.isEmpty() ? 1 : 0);  // the DJ is told why nothing changed
        f->lstPlaylist->Clear();
        Module1::LoadAutoRecover();
        EXPECT_EQ(cue(), c.songs);
        EXPECT_EQ(app.ui.messages.size(), c.songs.isEmpty() ? 1 : 0) << "the load says nothing";
    }
}

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
TEST(BadPlay, EveryWayOntoADeckPassesOverABrokenSong) {
    const struct {
        const char* what;
        const char* bad;  // never written, or random bytes
        int deck, state;
        std::function<void(OfflineShow&)> act;
    } ways[] = {
        {"play compiled list", "noise.mp3", 1, DeckPlayer::Playing,
         [](OfflineShow& s) { s.f->Command2_Click(); }},
        {"load deck 2", "missing.mp3", 2, DeckPlayer::Stopped, [](OfflineShow& s) { s.f->cmdLD2_Click(); }},
        // Deck 1 moves on by itself with auto fade off once its song ends.
        {"deck 1 ends", "noise.mp3", 1, DeckPlayer::Playing,
         [](OfflineShow& s) {
             s.f->lstPlaylist->InsertRows(1, {{"1", "first.wav", s.f->lstPlaylist->SubItem(1, 2)}});
             s.f->Command2_Click();
             s.run(1.2);
         }},
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

// Inputs the fuzzers found that once crashed, kept so the faults stay fixed.
TEST(FuzzRegressions, RmiWhoseOddLastChunkEndsTheFile) {
    // A RIFF/RMID whose only chunk is odd-sized and ends exactly at the end of
    // the file: its pad byte would lie one past the end.
    const QByteArray bytes = QByteArray::fromBase64("UklGRjwAAABSTUlEZGV0YQ8AAABNVHJrABoA/1F/9wD/LwA=");
    const uint8_t* smf = nullptr;
    size_t smfSize = 0;
    EXPECT_FALSE(audio::unwrapRmi(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()),
                                  &smf, &smfSize));
}

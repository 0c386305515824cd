// Pre-listen from the main window's lists: the song plays on the headphones'
// output only, the window seeks, stops, jumps to the outro and sets its own
// volume, and nothing of the decks, the cue or the fade moves. Without a
// second output the item is off and says why.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "AudioFixtures.h"
#include "app/Cue.h"
#include "app/PreListen.h"
#include "app/decks/DeckFactory.h"
#include "app/decks/EngineDeckPlayer.h"
#include "app/decks/SoundOutputs.h"
#include "support/CueFixture.h"
#include "support/FakeOutputs.h"
#include "windows/formlist.h"
#include "windows/frmPreListen.h"
#include "windows/id3search.h"

using namespace fixtures;

namespace {

constexpr int kRate = 44100, kChunk = 1024;

// A main window whose decks sit on an offline engine over a scripted sound system.
struct Rig {
    TempApp app;
    FakeOutputs* fake;
    std::shared_ptr<audio::Engine> engine;
    form1* f;
    explicit Rig(std::vector<std::string> devices) {
        auto system = std::make_unique<FakeOutputs>();
        fake = system.get();
        fake->names = std::move(devices);
        engine = std::make_shared<audio::Engine>(audio::Engine::Offline{kRate}, std::move(system));
        SetDeckFactory([e = engine](int) { return std::make_unique<EngineDeckPlayer>(e); });
        Options::SetText("sound/preListenOutput", "Headphones");
        f = app.loadMain();
    }
    ~Rig() { Options::SetText("sound/preListenOutput", ""); }
    // Renders both devices in lockstep; returns the headphones' and the room's samples.
    std::pair<std::vector<float>, std::vector<float>> run(double seconds) {
        std::vector<float> cans, room;
        for (long n = 0; n < long(seconds * kRate); n += kChunk) {
            engine->pump();
            fake->on("Headphones")->pull(cans, kChunk);
            fake->on("Laptop speakers")->pull(room, kChunk);
        }
        return {cans, room};
    }
};

}  // namespace

// Each song list's "Pre-listen" (its pop-up item and its shortcut) starts
// that list's selected song; from the cue it plays on the headphones only
// and touches nothing else.
TEST(PreListen, EverySongListStartsItsSongOnTheHeadphonesOnly) {
    Rig r({"Laptop speakers", "Headphones"});
    QTemporaryDir dir;
    ASSERT_TRUE(WriteSineWav(dir.filePath("a.wav"), 1, 440));
    const CueSong song{"a.wav", dir.path() + "/"};
    r.app.addSong(song.name, song.folder);
    const std::pair<const char*, std::function<QWidget*()>> kLists[] = {
        {"search results",
         [&] {
             r.f->lstresults->AddRows({Cue::Row(song)});
             r.f->lstresults->SetSelectedItem(1);
             return r.f->lstresults;
         }},
        {"master list",
         [&] {
             auto& w = Windows::Show<formlist>();
             w.SetListIndex(0);  // "a.wav" sorts before the seed song
             return w.lstShowSongs;
         }},
        {"tag window",
         [&] {
             auto& w = Windows::Show<id3search>();
             w.cmdListAll_Click();
             for (int i = 1; i <= w.lstresults->Count(); ++i)
                 if (w.lstresults->SubItem(i, 7) == song.name) w.lstresults->SetSelectedItem(i);
             return w.lstresults;
         }},
    };
    for (const auto& [name, list] : kLists) {
        SCOPED_TRACE(name);
        QAction* item = nullptr;
        for (QAction* a : list()->actions())
            if (a->text() == "Pre-listen" && a->shortcut() == PreListen::kShortcut) item = a;
        ASSERT_TRUE(item && item->isEnabled());
        item->trigger();
        ASSERT_TRUE(Windows::IsLoaded<frmPreListen>());
        EXPECT_EQ(Windows::Find<frmPreListen>()->lblSong->text(), song.name);
        EXPECT_EQ(SoundOutputs::current()->preListen().FileName(), song.file());
        Windows::Unload<frmPreListen>();
        Windows::flushDeleted();
    }

    ASSERT_TRUE(WriteSineWav(dir.filePath("long.wav"), 25, 440, 0.5, 22050, 1));
    Cue::Append({{"long.wav", dir.path() + "/"}}, Cue::Count::Refresh, Cue::Backup::Write);
    const QStringList cue = CueRows();
    const QByteArray backup = BackupBytes();
    r.f->lstPlaylist->SetSelected(1, true);
    r.app.ui.popupChoices = {"Pre-listen"};
    r.f->lstPlaylist_MouseDown(2, 0, 0, 0);

    frmPreListen* w = Windows::Find<frmPreListen>();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->lblSong->text(), "long.wav");
    auto [cans, room] = r.run(0.5);
    EXPECT_GT(ToneAmplitude(cans.data() + 2 * 8192, 2, kRate, 440, 8192), 0.45);
    EXPECT_EQ(*std::max_element(room.begin(), room.end()), 0.0f);
    EXPECT_EQ(CueRows(), cue);
    EXPECT_EQ(BackupBytes(), backup);
    EXPECT_EQ(r.f->MP1->FileName() + r.f->MP2->FileName(), "");
    EXPECT_FALSE(r.f->T1->isActive() || r.f->T2->isActive());

    // Its own volume, the outro, the slider and stop.
    w->sldVolume->setValue(-600);
    cans = r.run(0.3).first;
    EXPECT_NEAR(ToneAmplitude(cans.data() + 2 * 4096, 2, kRate, 440, 8192), 0.25, 0.01);
    w->cmdOutro_Click();
    r.run(0.1);
    w->tmrPosition_Timer();
    EXPECT_NEAR(w->sldPosition->value() / 10.0, 5.1, 0.15);
    w->sldPosition->setValue(100);
    w->sldPosition_Release();
    r.run(0.1);
    w->tmrPosition_Timer();
    EXPECT_NEAR(w->sldPosition->value() / 10.0, 10.1, 0.15);
    EXPECT_EQ(w->cmdPlay->text(), "Stop");
    w->cmdPlay_Click();
    EXPECT_EQ(w->cmdPlay->text(), "Play");
    cans = r.run(0.2).first;
    EXPECT_EQ(*std::max_element(cans.begin() + 2 * 2048, cans.end()), 0.0f);
}

// Ctrl+P belongs to pre-listen alone in the main window; with one device
// the items and the choice of a pre-listen device are off, say why, and
// pre-listen never plays on the main output.
TEST(PreListen, ItsShortcutIsFreeAndWithoutASecondOutputItIsOff) {
    Rig r({"Laptop speakers"});
    QStringList taken;
    for (QAction* a : r.f->findChildren<QAction*>())
        if (a->shortcut() == PreListen::kShortcut) taken << a->text();
    EXPECT_EQ(taken, QStringList({"Pre-listen", "Pre-listen"}));
    for (QAction* a : {r.f->mnuPreListenCue, r.f->mnuPreListenResults}) {
        EXPECT_FALSE(a->isEnabled());
        EXPECT_TRUE(a->toolTip().contains("second sound output")) << a->toolTip().toStdString();
    }
    QTemporaryDir dir;
    ASSERT_TRUE(WriteSineWav(dir.filePath("a.wav"), 1, 440));
    EXPECT_FALSE(PreListen::Start({"a.wav", dir.path() + "/"}));
    EXPECT_FALSE(SoundOutputs::current()->choose(SoundOutputs::Output::PreListen, "Headphones"));
    EXPECT_TRUE(SoundOutputs::current()->preListenUnavailable().contains("only one"));
    EXPECT_FALSE(Windows::IsLoaded<frmPreListen>());
    EXPECT_EQ(r.fake->streams.size(), 1u);
}

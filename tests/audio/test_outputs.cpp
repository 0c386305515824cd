// The engine's two outputs: pre-listen is heard only on its own output and
// leaves the main mix untouched to the sample; the main mix moves between
// devices (by choice, by unplugging, by a device that will not open) without
// a song restarting, skipping or repeating anything. The user's choice of
// devices over a scripted sound system: kept by name across starts, a missing
// device told without stopping anyone and taken back when it returns,
// pre-listen never on the main mix's device; and the window that lists and
// chooses them.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "AudioFixtures.h"
#include "app/Options.h"
#include "app/decks/SoundOutputs.h"
#include "audio/MixTap.h"
#include "support/FakeOutputs.h"
#include "windows/frmSoundOutput.h"

using namespace fixtures;
using Output = audio::Engine::Output;

namespace {

constexpr int kRate = 44100, kChunk = 1024;

struct Songs {
    QTemporaryDir dir;
    std::string room = dir.filePath("room.wav").toStdString(), cans = dir.filePath("cans.wav").toStdString();
    Songs() {
        WriteWav(QString::fromStdString(room), kRate, 2, 3 * kRate,
                 [](long f, int) { return chirp(f, kRate); });
        WriteSineWav(QString::fromStdString(cans), 3, 880, 0.4);
    }
};

// One start of the program: an engine on a fresh fake system, its outputs as remembered.
struct Start {
    FakeOutputs* fake;
    std::unique_ptr<SoundOutputs> outputs;
    QStringList notices;
    explicit Start(std::vector<std::string> names = {"Laptop speakers", "USB interface", "Headphones"}) {
        auto system = std::make_unique<FakeOutputs>();
        fake = system.get();
        fake->names = std::move(names);
        outputs = std::make_unique<SoundOutputs>(
            std::make_shared<audio::Engine>(audio::Engine::Offline{kRate}, std::move(system)));
        QObject::connect(outputs.get(), &SoundOutputs::Notice, [this](const QString& t) { notices << t; });
        outputs->start();
    }
    QString lastNotice() const { return notices.isEmpty() ? "" : notices.last(); }
    // The devices playing the main mix and pre-listen, as "main|pre-listen".
    QString on() const {
        return outputs->playingOn(Output::Main) + "|" + outputs->playingOn(Output::PreListen);
    }
};

struct ForgetChoices {
    ~ForgetChoices() {
        Options::SetText("sound/mainOutput", "");
        Options::SetText("sound/preListenOutput", "");
    }
};

}  // namespace

// Engine 0 plays the room's song alone; engine 1 the same while the DJ
// starts, seeks and stops pre-listen; engine 2 the headphone song alone on
// its main output. Main mixes 0 and 1 are the same samples; pre-listen of
// 1 is engine 2's mix until it was sought, and silent on engine 0. What
// engine 1 hands the broadcast is its main mix, never pre-listen.
TEST(Outputs, PreListenNeverReachesTheMainMixAndCarriesOnlyItsSong) {
    Songs s;
    audio::Engine alone{audio::Engine::Offline{kRate}}, both{audio::Engine::Offline{kRate}},
        cansOnly{audio::Engine::Offline{kRate}};
    PlayOn(alone, s.room);
    PlayOn(both, s.room);
    audio::Deck* pre = PlayOn(both, s.cans, Output::PreListen);
    PlayOn(cansOnly, s.cans);
    audio::MixTap tap(70 * kChunk);
    both.setMixTap(&tap);
    audio::Engine* engines[] = {&alone, &both, &cansOnly};
    std::vector<float> main[3], cans[3];  // each engine's two outputs
    const auto render = [&](int chunks) {
        for (int e = 0; e < 3; ++e)
            Render(*engines[e], chunks * double(kChunk) / kRate, &main[e], nullptr, kChunk, &cans[e]);
    };
    render(40);
    pre->seek(2.5);
    render(10);
    pre->halt();
    render(20);

    EXPECT_TRUE(main[0] == main[1]);
    EXPECT_GT(Rms(main[1], 0, 40 * kChunk), 0.1);
    const size_t heard = 2 * 40 * kChunk;
    EXPECT_TRUE(std::equal(cans[1].begin(), cans[1].begin() + heard, main[2].begin()));
    EXPECT_GT(ToneAmplitude(cans[1].data() + heard + 2 * 2048, 2, kRate, 880, 4096), 0.35);  // after the seek
    EXPECT_LT(Rms(cans[1], 62 * kChunk, 8 * kChunk), 1e-6);                                  // stopped
    EXPECT_EQ(*std::max_element(cans[0].begin(), cans[0].end()), 0.0f);
    std::vector<float> tapped(main[1].size() + 2);
    EXPECT_EQ(tap.pop(tapped.data(), 70 * kChunk + 1), 70 * kChunk);
    tapped.resize(main[1].size());
    EXPECT_TRUE(tapped == main[1]);
}

// However the main mix moves, what its devices played, one after the other,
// is the song as one device alone would have played it: nothing lost or heard
// twice. Where the chosen device fails, the default takes over.
TEST(Outputs, MainMixMovesBetweenDevicesWithoutLosingItsPlace) {
    const struct {
        const char* name;
        const char* from;
        const char* to;        // chosen after 0.5 s ("" = none)
        bool unplugFrom;       // "from" disappears after 0.5 s instead
        const char* expectOn;  // device playing at the end
        bool chosenOk;
    } kCases[] = {
        {"chosen device", "Laptop speakers", "USB interface", false, "USB interface", true},
        {"unplugged", "USB interface", "", true, "Laptop speakers", true},
        {"open fails", "Laptop speakers", "Broken card", false, "Laptop speakers", false},
    };
    Songs s;
    audio::Engine reference{audio::Engine::Offline{kRate}};
    PlayOn(reference, s.room);
    std::vector<float> want;
    Render(reference, 1.2, &want, nullptr, kChunk);

    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto system = std::make_unique<FakeOutputs>();
        FakeOutputs* fake = system.get();
        fake->names.push_back("Broken card");
        fake->failing.insert("Broken card");
        audio::Engine engine{audio::Engine::Offline{kRate}, std::move(system)};
        std::string error;
        ASSERT_TRUE(engine.selectDevice(Output::Main, c.from, error)) << error;
        audio::Deck* deck = PlayOn(engine, s.room);
        std::vector<float> got;
        const auto play = [&](int chunks) {
            for (int i = 0; i < chunks; ++i) {
                engine.pump();
                ASSERT_EQ(fake->streams.size(), 1u);
                // An unplugged device gives nothing, which the UI's watch would find.
                if (!fake->streams[0]->pull(got, kChunk)) engine.checkDevices();
            }
        };
        play(22);
        if (c.unplugFrom)
            fake->unplug(c.from);
        else
            EXPECT_EQ(engine.selectDevice(Output::Main, c.to, error), c.chosenOk);
        for (int i = 0; i < 200 && got.size() < want.size(); ++i) play(1);
        EXPECT_EQ(fake->streams[0]->device, c.expectOn);
        EXPECT_TRUE(got == want);
        EXPECT_NEAR(deck->position(), double(want.size() / 2) / kRate, 0.03);
    }
}

TEST(SoundOutputs, ChoiceKeptByNameAcrossStartsAndDevicesComingAndGoing) {
    ForgetChoices forget;
    {
        // The window lists the devices, marks the default and chooses.
        Start first;
        auto& w = Windows::Show<frmSoundOutput>();
        QStringList rows;
        for (int i = 0; i < w.lstMain->count(); ++i) rows << w.lstMain->item(i)->text();
        EXPECT_EQ(rows, QStringList({"Laptop speakers (default)", "USB interface", "Headphones"}));
        EXPECT_EQ(std::make_tuple(w.lstMain->currentRow(), w.cmbPreListen->currentText()),
                  std::make_tuple(0, QString("(none)")));
        EXPECT_EQ(first.on(), "Laptop speakers|");
        EXPECT_FALSE(first.outputs->preListenUnavailable().isEmpty());
        w.lstMain->setCurrentRow(1);
        w.lstMain_Click();
        w.cmbPreListen->setCurrentIndex(3);
        w.cmbPreListen_Click();
        EXPECT_EQ(first.on(), "USB interface|Headphones");
        EXPECT_EQ(
            std::make_tuple(w.lstMain->currentRow(), w.cmbPreListen->currentText(), w.lblStatus->text()),
            std::make_tuple(1, QString("Headphones"), QString()));
        EXPECT_EQ(first.outputs->preListenUnavailable(), "");
        EXPECT_EQ(first.notices.count(), 0);
        Windows::Unload<frmSoundOutput>();
        Windows::flushDeleted();
    }
    // Next start without the interface: the default plays, the user is told
    // (not asked), and the interface is taken back once it is plugged in.
    Start second({"Laptop speakers", "Headphones"});
    EXPECT_EQ(second.on(), "Laptop speakers|Headphones");
    EXPECT_EQ(second.notices.count(), 1);
    EXPECT_TRUE(second.lastNotice().contains("\"USB interface\"")) << second.lastNotice().toStdString();
    second.outputs->recheck();
    EXPECT_EQ(second.on(), "Laptop speakers|Headphones");
    second.fake->names.push_back("USB interface");
    second.outputs->recheck();
    EXPECT_EQ(second.on(), "USB interface|Headphones");
    EXPECT_EQ(second.outputs->chosen(Output::Main), "USB interface");

    // Unplugged while playing: the watch moves the mix and says so.
    second.fake->unplug("USB interface");
    second.outputs->watch();
    EXPECT_EQ(second.on(), "Laptop speakers|Headphones");
    EXPECT_TRUE(second.lastNotice().contains("went away")) << second.lastNotice().toStdString();
    EXPECT_EQ(second.outputs->chosen(Output::Main), "USB interface");

    // The main mix onto the headphones: pre-listen stops rather than share them.
    second.outputs->choose(Output::Main, "Headphones");
    EXPECT_EQ(second.on(), "Headphones|");
    EXPECT_TRUE(second.outputs->preListenUnavailable().contains("other than the main"));
    second.outputs->choose(Output::Main, "Laptop speakers");
    EXPECT_EQ(second.on(), "Laptop speakers|Headphones");
}

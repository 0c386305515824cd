// The user's choice of output devices over a scripted sound system: kept by
// name across starts, a missing device told without stopping anyone and
// taken back when it returns, pre-listen never on the main mix's device; and
// the window that lists and chooses them.
#include <gtest/gtest.h>

#include "app/Options.h"
#include "app/decks/SoundOutputs.h"
#include "support/FakeOutputs.h"
#include "windows/frmSoundOutput.h"

using Output = SoundOutputs::Output;

namespace {

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
            std::make_shared<audio::Engine>(audio::Engine::Offline{44100}, std::move(system)));
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

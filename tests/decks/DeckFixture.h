#pragma once
// The main window over fake decks, as a fresh start leaves it: deck 1 live
// at full volume, deck 2 at -3000, the fader at deck 1's end.
#include <gtest/gtest.h>

#include <QFile>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/TempApp.h"

class DeckFixture : public ::testing::Test {
  protected:
    ~DeckFixture() override {
        FakeDeckPlayer::durations().clear();
        FakeDeckPlayer::unplayable().clear();
    }
    static QString file(const QString& name) { return "/music/" + name; }
    void cue(const QStringList& names) {
        for (const QString& n : names) f.lstPlaylist->AddRows({{"1", n, "/music/"}});
    }
    QStringList cueNames() const {
        QStringList names;
        for (int i = 1; i <= f.lstPlaylist->Count(); ++i) names << f.lstPlaylist->SubItem(i, 1);
        return names;
    }
    QByteArray backup() const {
        QFile in(Module1::AutoRecoverFile());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<none>");
    }
    static QByteArray records(const QStringList& names) {
        QByteArray out;
        for (const QString& n : names) out += "\"/music/*()*" + n.toLatin1() + "\"\r\n";
        return out;
    }
    void checkAutoFade(bool on) {
        f.chkAutoFade->setChecked(on);
        f.chkAutoFade_Click();
    }
    // A second goes by on both decks, then the enabled watcher ticks.
    void second() {
        d1()->advance(1);
        d2()->advance(1);
        if (f.T1->isActive())
            f.T1_Timer();
        else if (f.T2->isActive())
            f.T2_Timer();
    }
    FakeDeckPlayer* d1() const { return FakeDeckPlayer::deckNo(1); }
    FakeDeckPlayer* d2() const { return FakeDeckPlayer::deckNo(2); }

    TempApp app;
    form1& f = load();

  private:
    form1& load() {
        app.addSong("seed.mp3", "/music/");  // keeps the first-start folder prompt away
        return Windows::Load<form1>();
    }
};

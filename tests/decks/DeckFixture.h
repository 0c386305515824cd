#pragma once
// The main window over fake decks, with the deck state a fresh start leaves
// (deck 1 live at full volume, deck 2 at -3000, the fader at deck 1's end).
#include <gtest/gtest.h>

#include <QFile>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/TempApp.h"

class DeckFixture : public ::testing::Test {
  protected:
    DeckFixture() {
        Module1::CurrentDeck = 1;
        f.MP1->SetVolume(0);
        f.MP2->SetVolume(-3000);
        f.Fader->setValue(0);
        f.T1->stop();
        f.T2->stop();
    }
    ~DeckFixture() override {
        FakeDeckPlayer::durations().clear();
        FakeDeckPlayer::unplayable().clear();
    }

    static QString file(const QString& name) { return "/music/" + name; }

    void cue(const QStringList& names) {
        for (const QString& n : names) {
            const int row = f.lstPlaylist->Add();
            f.lstPlaylist->SetSubItem(row, 1, n);
            f.lstPlaylist->SetSubItem(row, 2, "/music/");
        }
    }
    QStringList cueNames() const {
        QStringList names;
        for (int i = 1; i <= f.lstPlaylist->Count(); ++i) names << f.lstPlaylist->SubItem(i, 1);
        return names;
    }
    QByteArray backupBytes() const {
        QFile in(Module1::AutoRecoverFile());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<none>");
    }
    // The songs the auto-recover file holds, in order.
    QStringList backupNames() const {
        QStringList names;
        for (const QString& line : QString::fromLatin1(backupBytes()).split("\r\n", Qt::SkipEmptyParts)) {
            QString name = line.section("*()*", 1);
            if (name.endsWith('"')) name.chop(1);
            names << name;
        }
        return names;
    }
    void writeBackup(const QByteArray& content) const {
        QFile out(Module1::AutoRecoverFile());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    void checkAutoFade(bool on) {
        f.chkAutoFade->setChecked(on);
        f.chkAutoFade_Click();
    }
    // Moves both decks on by a second and ticks the watcher that is enabled, as the timers would.
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
        // A song in the library keeps the first-start folder prompt away.
        app.addSong("seed.mp3", "/music/");
        return Windows::Load<form1>();
    }
};

#include <QCoreApplication>

#include "app/Module1.h"
#include "app/PlayHistoryWindow.h"
#include "app/StartOptions.h"
#include "app/form1.h"
#include "seams/Seams.h"

void form1::WireUnattended() {
    const auto cue = [this] {
        QVector<CueSong> songs;
        for (int i = 1; i <= lstPlaylist->Count(); ++i) songs.append(Cue::SongAt(lstPlaylist, i));
        return songs;
    };
    autoRecover = new AutoRecoverMirror(
        Module1::AutoRecoverFile(), Module1::OnAirFile(), cue, [this] { return SongOnAir(); }, this);
    autoRecover->Watch(lstPlaylist->listModel());
    history = new HistoryRecorder(this);
    for (int d : {1, 2}) {
        connect(Deck(d), &DeckControl::PlayStateChange, autoRecover, &AutoRecoverMirror::Schedule);
        history->Watch(d, Deck(d));
        // A file that would not open is never chosen to keep the show going.
        connect(Deck(d), &DeckControl::OpenTried, this, [this](const QString& file, bool opened) {
            if (!opened) keepPlaying.Failed(file);
        });
    }

    mnu_Tools->addSeparator();
    mnuPlayHistory = mnu_Tools->addAction(QStringLiteral("Play &History"));
    connect(mnuPlayHistory, &QAction::triggered, this, [] { Windows::Show<PlayHistoryWindow>(); });
    Options::AddMenuItem(mnu_Tools, KeepPlaying::kKeepPlaying);
    Options::AddMenuItem(mnu_Tools, StartOptions::kPlayOnStart);
    // Whether the program starts at login is the autostart entry itself.
    mnuStartAtLogin = mnu_Tools->addAction(QStringLiteral("Start At Login"));
    mnuStartAtLogin->setCheckable(true);
    mnuStartAtLogin->setChecked(StartOptions::StartsAtLogin());
    connect(mnuStartAtLogin, &QAction::triggered, this, [this](bool on) {
        QString error;
        if (!StartOptions::SetStartAtLogin(on, QCoreApplication::applicationFilePath(), &error))
            Seams::MsgBox(error, Seams::Buttons::OK, Seams::Icon::Critical);
        mnuStartAtLogin->setChecked(StartOptions::StartsAtLogin());
    });
}

QVector<CueSong> form1::SongOnAir() const {
    // The live deck's song; during a fade that is the incoming one once it has started.
    const int live = Module1::CurrentDeck == 2 ? 2 : 1;
    for (int d : {live, 3 - live}) {
        if (Deck(d)->PlayState() != DeckPlayer::Playing) continue;
        return {CueSong::FromFile(Deck(d)->FileName())};
    }
    return {};
}

void form1::PlayOnStart() {
    if (!Options::Get(StartOptions::kPlayOnStart) || lstPlaylist->Count() == 0) return;
    chkAutoFade->setChecked(true);
    chkAutoFade_Click();
    Command2_Click();
}

void form1::KeepCueGoing(const CueSong& onAir) {
    // Only the auto fade plays a cue out unattended; by hand, an empty cue is the DJ's choice.
    if (lstPlaylist->Count() > 0 || !chkAutoFade->isChecked() || !Options::Get(KeepPlaying::kKeepPlaying))
        return;
    CueSong next;
    if (keepPlaying.Pick(history->clock().now(), onAir, next))
        Cue::Append({next}, Cue::Count::Refresh, Cue::Backup::Keep);
}

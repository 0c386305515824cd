#include "app/Module1.h"
#include "app/PlayHistoryWindow.h"
#include "app/form1.h"

void form1::WireUnattended() {
    const auto cue = [this] {
        QVector<CueSong> songs;
        for (int i = 1; i <= lstPlaylist->Count(); ++i) songs.append(Cue::SongAt(lstPlaylist, i));
        return songs;
    };
    autoRecover = new AutoRecoverMirror(
        Module1::AutoRecoverFile(), Module1::OnAirFile(), cue, [this] { return SongOnAir(); }, this);
    autoRecover->Watch(lstPlaylist->listModel());
    for (DeckControl* deck : {MP1, MP2})
        connect(deck, &DeckControl::PlayStateChange, autoRecover, &AutoRecoverMirror::Schedule);
    history = new HistoryRecorder(this);
    history->Watch(1, MP1);
    history->Watch(2, MP2);
    mnu_Tools->addSeparator();
    mnuPlayHistory = mnu_Tools->addAction(QStringLiteral("Play &History"));
    connect(mnuPlayHistory, &QAction::triggered, this, [] { Windows::Show<PlayHistoryWindow>(); });
}

QVector<CueSong> form1::SongOnAir() const {
    // The live deck's song; during a fade that is the incoming one once it has started.
    const int live = Module1::CurrentDeck == 2 ? 2 : 1;
    for (int d : {live, 3 - live}) {
        if (Deck(d)->PlayState() != DeckPlayer::Playing) continue;
        const QString file = Deck(d)->FileName();
        return {{file.section('/', -1), file.section('/', 0, -2) + '/'}};
    }
    return {};
}

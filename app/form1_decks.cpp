#include "app/Cue.h"
#include "app/Module1.h"
#include "seams/Seams.h"
#include "app/decks/RemainingTime.h"
#include "app/form1.h"

#include <QScopedValueRollback>

// Every song that goes onto a deck comes off the top of the cue: the top row
// becomes the selected row and leaves the cue before the deck opens it. A
// song that does not open is gone too, and the next one is tried at once: a
// deck never plays its previous song again under a new name, and the cue
// never stalls on a bad file. Nothing modal stops the show; the label's
// tooltip says which songs were passed over and why.

// The count and the auto-recover file follow once the handler is done with the decks.
bool form1::TakeNextSong(QString& name, QString& file) {
    CueSong song;
    if (!Cue::TakeNext(song, Cue::Count::Keep, Cue::Backup::Keep)) return false;
    KeepCueGoing(song);
    name = song.name;
    file = song.file();
    return true;
}

bool form1::OpenNextSong(int deck) {
    skipped_[deck].clear();
    bool opened = false;
    QString name, file;
    while (!opened && TakeNextSong(name, file)) {
        opened = Deck(deck)->Open(file);
        (deck == 1 ? lblD1 : lblD2)->setText(name);
        if (!opened) skipped_[deck] << Deck(deck)->LastError();
    }
    (deck == 1 ? lblD1 : lblD2)->setToolTip(SongTip(deck));
    return opened;
}

QString form1::SongTip(int deck) const {
    QStringList lines{(deck == 1 ? lblD1 : lblD2)->text()};
    for (const QString& why : skipped_[deck]) lines << tr("Skipped: %1").arg(why);
    return lines.join('\n');
}

void form1::playsong(const QString& name, const QString& file) {
    PlaySong(name, file);
}

bool form1::PlaySong(const QString& name, const QString& file) {
    lbldisplay->setText(name);
    if (!MP1->Open(file)) return false;
    MP1->Play();
    return true;
}

void form1::Command2_Click() {
    if (lstPlaylist->Count() == 0) {
        Seams::MsgBox(QStringLiteral("No songs found in list ?"), Seams::Buttons::OK,
                      Seams::Icon::Information);
        return;
    }
    if (OpenNextSong(1)) MP1->Play();

    Module1::CurrentDeck = 1;
    fadeNowDeck_ = 0;  // a new song on deck 1 plays out its own time
    T2->stop();
    if (chkAutoFade->isChecked() && !T1->isActive()) T1->start();
    // Deck 2 is not stopped: whatever plays there goes on, 60 dB down.
    MP1->SetVolume(0);
    MP2->SetVolume(fade_.silent);
    Fader->setValue(0);

    Cue::Changed(Cue::Count::Refresh, Cue::Backup::Write);
}

void form1::cmdLD1_Click() {
    // The engine watching deck 1 owns it: loading it by hand would cut the live song.
    if (T1->isActive() && chkAutoFade->isChecked()) return;
    LoadByHand(1);
}

void form1::cmdLD2_Click() {
    if (T2->isActive() && chkAutoFade->isChecked()) return;
    LoadByHand(2);
}

void form1::LoadByHand(int deck) {
    if (lstPlaylist->Count() == 0) return;
    // Opening starts playback; a loaded deck waits for its own play button.
    // The start the open reports is the load's own and must not wake the engine.
    const QScopedValueRollback<bool> loading(handLoad_, true);
    OpenNextSong(deck);
    Deck(deck)->Stop();
    Cue::Changed(Cue::Count::Refresh, Cue::Backup::Write);
}

void form1::MP1_EndOfStream() {
    // With auto fade on, the engine is in charge of the decks.
    if (chkAutoFade->isChecked()) return LiveDeckEnded(1);
    QString name, file;
    if (!TakeNextSong(name, file)) return;
    skipped_[1].clear();
    do {
        lblD1->setText(name);
        if (PlaySong(name, file)) break;
        skipped_[1] << MP1->LastError();
    } while (TakeNextSong(name, file));
    lblD1->setToolTip(SongTip(1));
    Cue::Changed(Cue::Count::Refresh, Cue::Backup::Keep);
}

void form1::Timer1_Timer() {
    // A DJ in a silent room must see why; the sign goes once a device plays.
    const bool silent = !MP1->player()->HasSoundDevice();
    if (lblNoSound->isVisibleTo(this) != silent) lblNoSound->setVisible(silent);
    lblt1->setText(RemainingCaption(MP1->Duration() - MP1->CurrentPosition()));
}

void form1::Timer2_Timer() {
    lblt2->setText(RemainingCaption(MP2->Duration() - MP2->CurrentPosition()));
}

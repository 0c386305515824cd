#include "app/Module1.h"
#include "app/Seams.h"
#include "app/decks/RemainingTime.h"
#include "app/form1.h"

// Every song that goes onto a deck comes from the top of the cue: the top row
// becomes the selected row, and once the song is on the deck that row leaves
// the cue. A deck that fails to open a song is ignored: the row goes all the
// same and the label names the song, so the cue never stalls on a bad file.

bool form1::TakeNextSong(QString& name, QString& file) {
    if (lstPlaylist->Count() == 0) return false;
    lstPlaylist->SetSelectedItem(1);
    name = lstPlaylist->SubItem(1, 1);
    file = lstPlaylist->SubItem(1, 2) + name;
    return true;
}

void form1::RemoveTakenSong() {
    lstPlaylist->Remove(lstPlaylist->SelectedItem());
}

void form1::playsong(QString& song) {
    const int row = lstPlaylist->SelectedItem();
    lbldisplay->setText(lstPlaylist->SubItem(row, 1));
    lstPlaylist->Remove(row);
    MP1->Open(song);
    MP1->Play();
}

void form1::Command2_Click() {
    QString name, file;
    if (!TakeNextSong(name, file)) {
        Seams::MsgBox(QStringLiteral("No songs found in list ?"), Seams::Buttons::OK,
                      Seams::Icon::Information);
        return;
    }
    MP1->SetFileName(file);
    MP1->Play();
    lblD1->setText(name);

    Module1::CurrentDeck = 1;
    T2->stop();
    if (chkAutoFade->isChecked() && !T1->isActive()) T1->start();
    // Deck 2 is not stopped: whatever plays there goes on, 60 dB down.
    MP1->SetVolume(0);
    MP2->SetVolume(-6000);
    Fader->setValue(0);

    RemoveTakenSong();
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void form1::cmdLD1_Click() {
    // The engine watching deck 1 owns it: loading it by hand would cut the live song.
    if (T1->isActive() && chkAutoFade->isChecked()) return;
    QString name, file;
    if (!TakeNextSong(name, file)) return;
    // Opening starts playback; a loaded deck waits for its own play button.
    MP1->SetFileName(file);
    MP1->Stop();
    lblD1->setText(name);
    RemoveTakenSong();
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void form1::cmdLD2_Click() {
    if (T2->isActive() && chkAutoFade->isChecked()) return;
    QString name, file;
    if (!TakeNextSong(name, file)) return;
    MP2->SetFileName(file);
    MP2->Stop();
    lblD2->setText(name);
    RemoveTakenSong();
    Module1::RefreshCueCount();
    Module1::SaveAutoRecover();
}

void form1::MP1_EndOfStream() {
    // With auto fade on, the engine is in charge of the decks.
    if (chkAutoFade->isChecked()) return;
    QString name, file;
    if (!TakeNextSong(name, file)) return;
    lblD1->setText(name);
    playsong(file);  // removes the row
    Module1::RefreshCueCount();
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

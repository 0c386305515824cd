// The choice of sound outputs (Tools, "Sound Output...").
#include <QMessageBox>

#include "app/PreListen.h"
#include "app/decks/EngineDeckPlayer.h"
#include "app/decks/SoundOutputs.h"
#include "app/form1.h"
#include "windows/frmPreListen.h"
#include "windows/frmSoundOutput.h"

namespace {

// The list's selected song, for pre-listening.
std::function<bool(CueSong&)> SelectedOf(const ListView* list) {
    return [list](CueSong& song) {
        const int k = list->SelectedItem();
        if (list->Count() == 0 || k == 0) return false;
        song = Cue::SongAt(list, k);
        return true;
    };
}

}  // namespace

void form1::WireSound() {
    connect(mnuSoundOutput, &QAction::triggered, this, &form1::mnuSoundOutput_Click);
    mnuPreListenCue = PreListen::MakeAction(lstPlaylist, SelectedOf(lstPlaylist));
    mnuPreListenResults = PreListen::MakeAction(lstresults, SelectedOf(lstresults));
    for (auto [menu, item] :
         {std::pair{mnurightclicklist, mnuPreListenCue}, {mnuSendSelected, mnuPreListenResults}}) {
        menu->addAction(item);
        menu->setToolTipsVisible(true);  // a disabled item says why
    }
    // Devices are chosen only for the engine's decks; scripted decks have none.
    auto* deck = dynamic_cast<EngineDeckPlayer*>(MP1->player());
    if (!deck) return;
    soundOutputs_ = new SoundOutputs(deck->engine(), this);
    connect(soundOutputs_, &SoundOutputs::Notice, this, &form1::ShowNotice);
    soundOutputs_->start();
    for (QAction* item : {mnuPreListenCue, mnuPreListenResults}) PreListen::Follow(item);
}

void form1::mnuSoundOutput_Click() {
    Windows::Show<frmSoundOutput>();
}

// A DJ mid-set must not be stopped by a box waiting for OK: the music and the
// window go on while it shows.
void form1::ShowNotice(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

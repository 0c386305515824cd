// The broadcast (Tools, "Broadcast..."): the main mix to an Icecast server.
#include "app/Module1.h"
#include "app/decks/EngineDeckPlayer.h"
#include "app/decks/OnAir.h"
#include "app/form1.h"
#include "windows/frmBroadcast.h"

void form1::WireBroadcast() {
    connect(mnuBroadcast, &QAction::triggered, this, &form1::mnuBroadcast_Click);
    // Only the engine's decks have a mix to send; scripted decks have none.
    auto* deck = dynamic_cast<EngineDeckPlayer*>(MP1->player());
    if (!deck) return;
    // Owned by the window, so the broadcast ends (and leaves the engine) with it.
    new OnAir(
        deck->engine(), [this] { return (Module1::CurrentDeck == 2 ? MP2 : MP1)->FileName(); }, this);
}

void form1::mnuBroadcast_Click() {
    Windows::Show<frmBroadcast>();
}

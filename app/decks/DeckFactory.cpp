#include "app/decks/DeckFactory.h"

#include <algorithm>

#include "app/decks/EngineDeckPlayer.h"
#include "audio/Engine.h"

namespace {

std::weak_ptr<audio::Engine> shared;
double master = 1.0;

// One engine for all decks, made when the first real deck is and closed
// with the last: programs (and tests) that never make one never open a device.
std::shared_ptr<audio::Engine> sharedEngine() {
    std::shared_ptr<audio::Engine> e = shared.lock();
    if (!e) {
        e = std::make_shared<audio::Engine>();
        e->setMasterLevel(float(master));
        shared = e;
    }
    return e;
}

DeckFactoryFn& factory() {
    static DeckFactoryFn f;
    return f;
}

}  // namespace

std::unique_ptr<DeckPlayer> MakeDeckPlayer(int deck) {
    if (factory()) return factory()(deck);
    return std::make_unique<EngineDeckPlayer>(sharedEngine());
}

void SetDeckFactory(DeckFactoryFn f) {
    factory() = std::move(f);
}

double MasterLevel() {
    return master;
}

void SetMasterLevel(double level) {
    master = std::clamp(level, 0.0, 1.0);
    if (auto e = shared.lock()) e->setMasterLevel(float(master));
}

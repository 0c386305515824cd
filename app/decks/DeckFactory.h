#pragma once
#include <functional>
#include <memory>

#include "app/decks/DeckPlayer.h"

// Makes the player behind deck 1 or 2. The program's players sit on the audio
// engine; tests install a factory of scripted fakes.
using DeckFactoryFn = std::function<std::unique_ptr<DeckPlayer>(int deck)>;

std::unique_ptr<DeckPlayer> MakeDeckPlayer(int deck);
// Replaces the factory; an empty function restores the engine's players.
void SetDeckFactory(DeckFactoryFn factory);

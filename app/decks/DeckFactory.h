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

// The level of the main output's whole mix, linear 0..1 (the desktop's volume
// control); the decks' own volumes stay with the fades. Kept for engines made later.
double MasterLevel();
void SetMasterLevel(double level);

#include "app/decks/DeckPlayer.h"

// The interface is header-only; this unit gives moc a home for its signals.

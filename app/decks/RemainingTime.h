#pragma once
#include <QString>

// The caption of a deck's remaining-time label, "mm:ss", from the remaining
// seconds (duration minus position; slightly negative at the very end).
QString RemainingCaption(double remainingSeconds);

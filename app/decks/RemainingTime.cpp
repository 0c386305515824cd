#include "app/decks/RemainingTime.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace {

// Rounds to a 16-bit integer, halves to the even neighbour; nothing when the
// value does not fit (or is not a number).
std::optional<int16_t> RoundToInt16(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    double r = std::round(x);                                            // halves away from zero...
    if (std::fabs(x - std::trunc(x)) == 0.5) r = 2 * std::round(x / 2);  // ...unless a half: to even
    if (r < INT16_MIN || r > INT16_MAX) return std::nullopt;
    return static_cast<int16_t>(r);
}

// "00" with a sign: at least two digits, a minus sign in front when negative.
QString TwoDigits(int v) {
    return (v < 0 ? QStringLiteral("-") : QString()) +
           QStringLiteral("%1").arg(std::abs(v), 2, 10, QChar('0'));
}

}  // namespace

QString RemainingCaption(double remaining) {
    // A value that does not fit leaves its part at 0, the way the label shows
    // an unreadable deck, instead of showing garbage.
    int minutes = 0;
    if (auto m = RoundToInt16(remaining)) minutes = *m / 60;  // toward zero
    int seconds = 0;
    if (auto s = RoundToInt16(remaining - minutes * 60.0)) seconds = *s;
    // The seconds come from the unrounded remainder, so a second either side
    // of a whole minute would show as 01 or -01 next to the rounded minute.
    if (seconds == 1 || seconds == -1) seconds = 0;
    return TwoDigits(minutes) + QStringLiteral(":") + TwoDigits(seconds);
}

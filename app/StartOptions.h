#pragma once
// Starting the show without anyone at the computer: the cue brought back at
// start-up plays at once, and the program can start when the user logs in
// (an XDG autostart entry).
#include <QByteArray>
#include <QString>

#include "app/Options.h"

namespace StartOptions {

inline constexpr Options::Flag kPlayOnStart{"show/playOnStart", "Play On Start", false};

// The autostart entry for the program at `program`.
QByteArray AutostartEntry(const QString& program);
// $XDG_CONFIG_HOME/autostart/velumix.desktop (~/.config when unset).
QString AutostartFile();
bool StartsAtLogin();
// Writes or removes the entry; false with a reason when that failed.
bool SetStartAtLogin(bool on, const QString& program, QString* error);

}  // namespace StartOptions

#pragma once
// Starting a song on the DJ's headphones from any list of songs: the pop-up
// item "Pre-listen" and its shortcut, which is the same action added to the
// list, so it works whenever the list has the focus.
#include <QKeySequence>
#include <functional>

#include "app/Cue.h"

class QAction;
class QWidget;

namespace PreListen {

// Free in the main window, every song window and their pop-ups.
inline const QKeySequence kShortcut{QStringLiteral("Ctrl+P")};

// "Pre-listen" for `list`: pre-listens the song `selected` gives (false when
// no song is selected). Disabled, saying why in its tooltip, while there is
// no second output; it never falls back to the main one.
QAction* MakeAction(QWidget* list, std::function<bool(CueSong&)> selected);
// Keeps the action's enabled state and tooltip with the outputs (again once
// the outputs exist, for actions made before them).
void Follow(QAction* action);
// Opens the pre-listen window on the song and plays it; false when
// pre-listen cannot play now or the song does not open.
bool Start(const CueSong& song);

}  // namespace PreListen

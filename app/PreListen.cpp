#include "app/PreListen.h"

#include <QAction>
#include <QCoreApplication>
#include <QWidget>

#include "app/decks/SoundOutputs.h"
#include "windows/frmPreListen.h"

namespace PreListen {

namespace {

QString unavailable() {
    const SoundOutputs* outputs = SoundOutputs::current();
    return outputs ? outputs->preListenUnavailable()
                   : QCoreApplication::translate("PreListen", "Pre-listen needs a second sound output.");
}

void refresh(QAction* action) {
    const QString why = unavailable();
    action->setEnabled(why.isEmpty());
    action->setToolTip(
        why.isEmpty() ? QCoreApplication::translate("PreListen", "Hear the song in the headphones") : why);
}

}  // namespace

QAction* MakeAction(QWidget* list, std::function<bool(CueSong&)> selected) {
    auto* action = new QAction(QStringLiteral("Pre-listen"), list);
    action->setShortcut(kShortcut);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list->addAction(action);
    QObject::connect(action, &QAction::triggered, action, [selected] {
        CueSong song;
        if (selected(song)) Start(song);
    });
    Follow(action);
    return action;
}

void Follow(QAction* action) {
    refresh(action);
    if (SoundOutputs* outputs = SoundOutputs::current())
        QObject::connect(outputs, &SoundOutputs::Changed, action, [action] { refresh(action); });
}

bool Start(const CueSong& song) {
    if (!unavailable().isEmpty()) return false;
    return Windows::Show<frmPreListen>().PlaySong(song);
}

}  // namespace PreListen

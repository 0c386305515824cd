#include "support/ScriptedUi.h"

#include <QAction>

ScriptedUi::ScriptedUi() {
    Seams::install(this);
}
ScriptedUi::~ScriptedUi() {
    Seams::install(nullptr);
}

Seams::Answer ScriptedUi::message(const Seams::Message& m) {
    messages << m;
    if (!answers.empty()) {
        Seams::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return (m.buttons == Seams::Buttons::YesNo || m.buttons == Seams::Buttons::YesNoCancel)
               ? Seams::Answer::Yes
               : Seams::Answer::OK;
}

QStringList ScriptedUi::fileDialog(QWidget*, const Seams::FileDialog& d) {
    fileDialogs << d;
    if (files.empty()) return {};
    QStringList f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedUi::browseFolder(QWidget*, const QString& title, const QString& start) {
    browseTitles << title;
    browseStarts << start;
    if (folders.empty()) return {};
    QString f = folders.front();
    folders.pop_front();
    return f;
}

QAction* ScriptedUi::popup(QMenu* menu, const QPoint&) {
    popups << menu;
    if (popupChoices.empty()) return nullptr;
    const QString choice = popupChoices.front();
    popupChoices.pop_front();
    for (QAction* a : menu->actions())
        if (!choice.isEmpty() && a->text() == choice) {
            a->trigger();
            return a;
        }
    return nullptr;
}

void ScriptedUi::shellOpen(const QUrl& target) {
    opened << target;
}

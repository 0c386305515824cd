#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <QAction>

namespace {
// The next scripted answer of a kind, or the unscripted default.
template <class T>
T take(std::deque<T>& queue, T unscripted = T()) {
    if (queue.empty()) return unscripted;
    T next = std::move(queue.front());
    queue.pop_front();
    return next;
}
}  // namespace

Seams::Answer ScriptedUi::message(const Seams::Message& m) {
    messages << m;
    const bool yesNo = m.buttons == Seams::Buttons::YesNo || m.buttons == Seams::Buttons::YesNoCancel;
    // A question the test did not foresee is a path it did not mean to take.
    if (answers.empty() && m.buttons != Seams::Buttons::OK)
        ADD_FAILURE() << "unscripted question: " << m.text.toStdString();
    return take(answers, yesNo ? Seams::Answer::Yes : Seams::Answer::OK);
}

QStringList ScriptedUi::fileDialog(QWidget*, const Seams::FileDialog& d) {
    fileDialogs << d;
    return take(files);
}

QString ScriptedUi::browseFolder(QWidget*, const QString&, const QString& start) {
    browseStarts << start;
    return take(folders);
}

QAction* ScriptedUi::popup(QMenu* menu, const QPoint&) {
    popups << menu;
    const QString choice = take(popupChoices);
    for (QAction* a : menu->actions())
        if (!choice.isEmpty() && a->text() == choice) {
            a->trigger();
            return a;
        }
    return nullptr;
}

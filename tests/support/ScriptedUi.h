#pragma once
// A scripted stand-in for every modal interaction: queued answers are used in
// order, and everything asked is recorded so tests can check texts, buttons,
// icons and titles. Installed for its lifetime.
#include <gtest/gtest.h>

#include <QAction>
#include <QList>
#include <QMenu>
#include <QStringList>
#include <QUrl>
#include <deque>

#include "seams/Seams.h"

class ScriptedUi : public Seams::Interaction {
  public:
    ScriptedUi() { Seams::install(this); }
    ~ScriptedUi() override { Seams::install(nullptr); }

    // Answers, used first in first out. Unscripted: a message with only OK
    // answers OK, a question fails the test (and answers Yes), dialogs and the
    // folder browser are cancelled, pop-ups are dismissed.
    std::deque<Seams::Answer> answers;
    std::deque<QStringList> files;
    std::deque<QString> folders;
    std::deque<QString> popupChoices;  // the action's text to trigger; "" dismisses

    QList<Seams::Message> messages;
    QList<Seams::FileDialog> fileDialogs;
    QStringList browseStarts;
    QList<QMenu*> popups;
    QList<QUrl> opened;

    Seams::Answer message(const Seams::Message& m) override {
        messages << m;
        const bool yesNo = m.buttons == Seams::Buttons::YesNo || m.buttons == Seams::Buttons::YesNoCancel;
        // A question the test did not foresee is a path it did not mean to take.
        if (answers.empty() && m.buttons != Seams::Buttons::OK)
            ADD_FAILURE() << "unscripted question: " << m.text.toStdString();
        return take(answers, yesNo ? Seams::Answer::Yes : Seams::Answer::OK);
    }
    QStringList fileDialog(QWidget*, const Seams::FileDialog& d) override {
        return fileDialogs << d, take(files);
    }
    QString browseFolder(QWidget*, const QString&, const QString& start) override {
        return browseStarts << start, take(folders);
    }
    QAction* popup(QMenu* menu, const QPoint&) override {
        popups << menu;
        const QString choice = take(popupChoices);
        for (QAction* a : menu->actions())
            if (!choice.isEmpty() && a->text() == choice) return a->trigger(), a;
        return nullptr;
    }
    bool desktopOpens = true;  // whether the desktop takes what shellOpen hands it
    bool shellOpen(const QUrl& target) override { return opened << target, desktopOpens; }

    // The last message's text, or "" if none was shown.
    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

  private:
    // The next scripted answer of a kind, or the unscripted default.
    template <class T>
    static T take(std::deque<T>& queue, T unscripted = T()) {
        if (queue.empty()) return unscripted;
        T next = std::move(queue.front());
        queue.pop_front();
        return next;
    }
};

#pragma once
// A scripted stand-in for every modal interaction: queued answers are used in
// order, and everything asked is recorded so tests can check texts, buttons,
// icons and titles. Installed for its lifetime.
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

    Seams::Answer message(const Seams::Message& m) override;
    QStringList fileDialog(QWidget* owner, const Seams::FileDialog& d) override;
    QString browseFolder(QWidget* owner, const QString& title, const QString& start) override;
    QAction* popup(QMenu* menu, const QPoint& globalPos) override;
    bool desktopOpens = true;  // whether the desktop takes what shellOpen hands it
    bool shellOpen(const QUrl& target) override { return opened << target, desktopOpens; }

    // The last message's text, or "" if none was shown.
    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
};

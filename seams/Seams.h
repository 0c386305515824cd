#pragma once
// Every modal interaction of the program (message boxes, file dialogs, the
// folder browser, pop-up menus, the desktop opener) goes through this one
// seam, so handlers can be driven headless by a scripted answerer in tests.
// It is a library of its own below the library store, so the store and the
// tag codec can tell the user of a failure without linking any window.
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>

class QAction;
class QMenu;
class QWidget;

namespace Seams {

enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Question, Warning, Critical };
enum class Answer { OK, Cancel, Yes, No };

struct Message {
    QString text;
    Buttons buttons = Buttons::OK;
    Icon icon = Icon::None;
    QString title;  // never empty once asked: an untitled box carries "Velumix"
};

struct FileDialog {
    enum Kind { Open, OpenMultiple, Save };
    Kind kind = Open;
    QString filter;      // in the "Label|pattern" form, e.g. "VLX|*.vlx"
    QString defaultExt;  // appended (without a leading dot) to a saved name typed without one
    QString fileName;    // preselected name
    QString folder;      // where it opens: the folder last used for this kind of file
};

class Interaction {
  public:
    virtual ~Interaction() = default;
    virtual Answer message(const Message& m) = 0;
    // The chosen files; empty when cancelled. Open and Save give at most one.
    virtual QStringList fileDialog(QWidget* owner, const FileDialog& d) = 0;
    // A chosen folder, or the empty text when cancelled; it opens at start.
    virtual QString browseFolder(QWidget* owner, const QString& title, const QString& start) = 0;
    // Shows the menu and triggers the chosen action; returns it, or nullptr when dismissed.
    virtual QAction* popup(QMenu* menu, const QPoint& globalPos) = 0;
    // Hands a file, web address or mailto: link to the desktop; false when the
    // desktop has no opener to take it.
    virtual bool shellOpen(const QUrl& target) = 0;
};

// The interaction in force: the real dialogs unless a test installed its own.
Interaction& ui();
// Installs a replacement (not owned); nullptr restores the real dialogs.
void install(Interaction* replacement);

// The application's title, carried by message boxes that are given none.
inline const char* kAppTitle = "Velumix";

// Convenience over ui().message(): an empty title becomes "Velumix".
Answer MsgBox(const QString& text, Buttons buttons = Buttons::OK, Icon icon = Icon::None,
              const QString& title = QString());

// Converts "Label|pattern;pattern" filters to Qt's "Label (pattern pattern)" form.
QString toQtFilter(const QString& filter);

}  // namespace Seams

#pragma once
// A fresh application folder for one test: an empty library (songs.mdb),
// Module1 reset and pointed at the folder, the connection open, fake decks
// and a scripted UI installed; the decks are fakes for its lifetime.
// Unloads every window at the end.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/Module1.h"
#include "support/FakeDeckPlayer.h"
#include "support/ScriptedUi.h"

class form1;

class TempApp {
  public:
    // openLibrary: open Module1::cnLibrary on the new library (as Main would).
    explicit TempApp(bool openLibrary = true);
    ~TempApp();

    QString path() const { return dir_.path(); }
    QString libraryFile() const { return dir_.path() + "/songs.mdb"; }

    // Adds a song row directly (for tests that need a library without scanning).
    void addSong(const QString& name, const QString& folder, const QString& title = QString());
    // Runs a statement on the library and returns the first column of the first row.
    QString scalar(const QString& sql) const;
    void exec(const QString& sql) const { Module1::cnLibrary.Execute(sql); }
    // A folder's rows in insertion order: the columns joined by "|", Null as "~".
    QStringList rows(const QString& folder, const QString& columns = QStringLiteral("artist")) const;

    // The main window loaded over a library of one song, so the load has no
    // empty library to ask about.
    form1* loadMain();

    ScriptedUi ui;

  private:
    QTemporaryDir dir_;
};

// Unloads all windows and deletes them now.
void UnloadAllWindows();

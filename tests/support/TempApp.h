#pragma once
// A fresh application folder for one test: an empty library (songs.mdb),
// Module1 reset and pointed at the folder, the connection open, fake decks
// and a scripted UI installed; the decks are fakes for its lifetime.
// Unloads every window at the end.
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <stdexcept>

#include "app/FolderOptions.h"
#include "app/LibraryWatch.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/Schema.h"
#include "support/FakeDeckPlayer.h"
#include "support/ScriptedUi.h"

// Unloads all windows and deletes them now.
void UnloadAllWindows();

class TempApp {
  public:
    // openLibrary: open Module1::cnLibrary on the new library (as Main would).
    explicit TempApp(bool openLibrary = true) {
        UnloadAllWindows();
        FakeDeckPlayer::install();
        Module1::ResetState();
        // Folder by folder, as the library's own rules have it; tree tests turn these on.
        Options::Set(Options::IncludeSubfolders, false);
        Options::Set(Options::WatchFolders, false);
        QString error;
        if (!CreateEmptyLibrary(libraryFile(), &error)) throw std::runtime_error(error.toStdString());
        Module1::SetAppPath(dir_.path());
        if (openLibrary) {
            Module1::cnLibrary.ConnectionString = Module1::LibraryConnectionString(dir_.path());
            Module1::cnLibrary.Open();
        }
    }
    ~TempApp() {
        LibraryWatch::Stop();
        UnloadAllWindows();
        Module1::ResetState();
        Module1::SetAppPath(QString());
        SetDeckFactory({});
    }

    QString path() const { return dir_.path(); }
    QString libraryFile() const { return dir_.path() + "/songs.mdb"; }

    // Adds a song row directly (for tests that need a library without scanning).
    void addSong(const QString& name, const QString& folder, const QString& title = QString()) {
        run("INSERT INTO songs (artist, path, title) VALUES (?, ?, ?)",
            {name, folder, title.isNull() ? QVariant() : QVariant(title)});
    }
    // Runs a statement on the library and returns the first column of the first row.
    QString scalar(const QString& sql) const {
        QSqlQuery q = run(sql);
        return q.next() ? q.value(0).toString() : QString();
    }
    void exec(const QString& sql) const { Module1::cnLibrary.Execute(sql); }
    // A folder's rows in insertion order: the columns joined by "|", Null as "~".
    QStringList rows(const QString& folder, const QString& columns = QStringLiteral("artist")) const {
        QSqlQuery q = run("SELECT " + columns + " FROM songs WHERE path=? ORDER BY id", {folder});
        QStringList out;
        for (QStringList cells; q.next(); out << cells.join('|'), cells.clear())
            for (int i = 0; i < q.record().count(); ++i) cells << (q.isNull(i) ? "~" : q.value(i).toString());
        return out;
    }

    // The main window loaded over a library of one song, so the load has no
    // empty library to ask about.
    form1* loadMain() {
        addSong("seed.wav", "/seed/");
        return &Windows::Load<form1>();
    }

    ScriptedUi ui;

  private:
    // A statement run on the library with its values bound in order; a failure throws.
    static QSqlQuery run(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q(Module1::cnLibrary.database());
        q.prepare(sql);
        for (const QVariant& v : values) q.addBindValue(v);
        if (!q.exec()) throw std::runtime_error(q.lastError().text().toStdString());
        return q;
    }

    QTemporaryDir dir_;
};

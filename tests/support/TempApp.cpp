#include "support/TempApp.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <stdexcept>

#include "app/FolderOptions.h"
#include "app/LibraryWatch.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "app/decks/DeckFactory.h"
#include "app/form1.h"
#include "library/Schema.h"
#include "windows/formlist.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

template <class... W>
static void Unload() {
    (Windows::Unload<W>(), ...);
}

void UnloadAllWindows() {
    Windows::setOnLastUnloaded(nullptr);
    // In order; the tour last: closing the setup window on a first start opens it.
    Unload<frmAbout, formlist, frmSetup, id3search, multilist, form1, wizard>();
    Windows::flushDeleted();
}

TempApp::TempApp(bool openLibrary) {
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

TempApp::~TempApp() {
    LibraryWatch::Stop();
    UnloadAllWindows();
    Module1::ResetState();
    Module1::SetAppPath(QString());
    SetDeckFactory({});
}

form1* TempApp::loadMain() {
    addSong("seed.wav", "/seed/");
    return &Windows::Load<form1>();
}

// A statement run on the library with its values bound in order; a failure throws.
static QSqlQuery run(const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(Module1::cnLibrary.database());
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) throw std::runtime_error(q.lastError().text().toStdString());
    return q;
}

void TempApp::addSong(const QString& name, const QString& folder, const QString& title) {
    run("INSERT INTO songs (artist, path, title) VALUES (?, ?, ?)",
        {name, folder, title.isNull() ? QVariant() : QVariant(title)});
}

QString TempApp::scalar(const QString& sql) const {
    QSqlQuery q = run(sql);
    return q.next() ? q.value(0).toString() : QString();
}

QStringList TempApp::rows(const QString& folder, const QString& columns) const {
    QSqlQuery q = run("SELECT " + columns + " FROM songs WHERE path=? ORDER BY id", {folder});
    QStringList out;
    for (QStringList cells; q.next(); out << cells.join('|'), cells.clear())
        for (int i = 0; i < q.record().count(); ++i) cells << (q.isNull(i) ? "~" : q.value(i).toString());
    return out;
}

#include "library/Schema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

bool CreateEmptyLibrary(const QString& file, QString* error) {
    if (QFileInfo::exists(file)) {
        if (error) *error = QStringLiteral("%1 exists already").arg(file);
        return false;
    }
    const QString name = QStringLiteral("velumix-schema");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            if (error) *error = db.lastError().text();
            ok = false;
        } else {
            // Song names sort and compare without regard to case; folder paths are
            // exact, because two folders differing only in case are two folders here.
            const char* statements[] = {
                "CREATE TABLE songs (id INTEGER PRIMARY KEY, artist TEXT COLLATE NOCASE, path TEXT, "
                "title TEXT COLLATE NOCASE, artist2 TEXT COLLATE NOCASE, album TEXT COLLATE NOCASE, "
                "year TEXT COLLATE NOCASE, comment TEXT COLLATE NOCASE, genre TEXT COLLATE NOCASE)",
                "CREATE INDEX songs_path ON songs(path)",
                "CREATE INDEX songs_artist ON songs(artist)",
                "CREATE TABLE settings (autosave TEXT, ext1 TEXT, ext2 TEXT)",
                "INSERT INTO settings (autosave, ext1, ext2) VALUES ('NO', 'NO', '0')",
            };
            QSqlQuery q(db);
            for (const char* s : statements) {
                if (!q.exec(QString::fromLatin1(s))) {
                    if (error) *error = q.lastError().text();
                    ok = false;
                    break;
                }
            }
            q = QSqlQuery();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

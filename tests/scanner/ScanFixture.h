#pragma once
// Music folders on disk for scanner tests, and a look at the rows they became.
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>

#include "app/Module1.h"
#include "support/TempApp.h"

struct ScanFixture {
    TempApp app;
    QTemporaryDir root;

    // A folder under the temporary root, as the library spells it (ending in "/").
    QString folder(const QString& name) const {
        QDir(root.path()).mkpath(name);
        return root.path() + "/" + name + "/";
    }

    static void file(const QString& path, const QByteArray& bytes = QByteArray(200, 'a')) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }

    // An audio body followed by a tag with the given title and genre byte.
    static QByteArray tagged(const QByteArray& title, unsigned char genre) {
        QByteArray tag(128, ' ');
        tag.replace(0, 3, "TAG");
        tag.replace(3, title.size(), title);
        tag.replace(93, 4, "2001");
        tag[127] = char(genre);
        return QByteArray(300, 'm') + tag;
    }

    // The folder's rows in insertion order: column values joined by "|", Null as "~".
    QStringList rows(const QString& folderPath, const QString& columns = "artist") const {
        QSqlQuery q(Module1::cnLibrary.database());
        q.prepare("SELECT " + columns + " FROM songs WHERE path=? ORDER BY id");
        q.addBindValue(folderPath);
        q.exec();
        QStringList out;
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << (q.value(i).isNull() ? QStringLiteral("~") : q.value(i).toString());
            out << cells.join('|');
        }
        return out;
    }
};

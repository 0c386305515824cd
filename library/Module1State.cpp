// Module1's library state (declared in library/Module1State.h), kept below
// the windows so the scanner and the store link without them.
#include <QCoreApplication>

#include "library/AppFolder.h"
#include "library/Module1State.h"

namespace Module1 {

Connection cnLibrary;
Recordset rsLibrary;
Recordset rsPaths;
Recordset rsLookup;
QString StrSQL;

int CurrentDeck = 1;
int OpenSetupAfterStart = 0;
int FirstRun = 0;
int StartupRescan = 0;
int FolderRemoved = 0;

namespace {
QString g_appPath;
}

QString AppPath() {
    return g_appPath.isEmpty() ? AppFolder::DataFolder(QCoreApplication::applicationDirPath()) : g_appPath;
}

void SetAppPath(const QString& folder) {
    g_appPath = folder;
}

QString LibraryConnectionString(const QString& appFolder) {
    QString file = appFolder + QStringLiteral("/songs.mdb");
    // A folder name may hold ';' or quotes: such a value goes in double quotes.
    if (file.contains(';') || file.contains('"') || file.contains('\'') || file != file.trimmed())
        file = '"' + QString(file).replace('"', QStringLiteral("\"\"")) + '"';
    return QStringLiteral("Provider=SQLite;") + QStringLiteral("Data Source=") + file + QStringLiteral(";") +
           QStringLiteral("User Id=admin;") + QStringLiteral("Password=");
}

QVariant ReplaceText(const QVariant& expression, const QString& find, const QString& replacement,
                     int compare) {
    if (expression.isNull()) return QVariant();
    QString s = expression.toString();
    if (find.isEmpty()) return s;
    const Qt::CaseSensitivity cs = compare == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype p = s.indexOf(find, 0, cs);
    while (p >= 0) {
        s = s.left(p) + replacement + s.mid(p + find.size());
        p = s.indexOf(find, p + replacement.size(), cs);
    }
    return s;
}

QVariant SqlQuote(const QVariant& value) {
    if (value.isNull()) return QVariant();
    return ReplaceText(value.toString(), QStringLiteral("'"), QStringLiteral("''"), 0);
}

void ResetState() {
    rsLibrary.Close();
    rsPaths.Close();
    rsLookup.Close();
    cnLibrary.Close();
    cnLibrary.ConnectionString.clear();
    cnLibrary.BusyTimeoutMs = Connection::kDefaultBusyTimeoutMs;
    StrSQL.clear();
    CurrentDeck = 1;
    OpenSetupAfterStart = 0;
    FirstRun = 0;
    StartupRescan = 0;
    FolderRemoved = 0;
}

}  // namespace Module1

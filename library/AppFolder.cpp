#include "library/AppFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "library/Schema.h"

namespace AppFolder {

namespace {
QString sharedFolder(const QString& exeDir) {
    return QDir::cleanPath(exeDir + QStringLiteral("/../share/velumix"));
}
}  // namespace

bool IsInstalled(const QString& exeDir) {
    return !QFileInfo::exists(exeDir + QStringLiteral("/songs.mdb")) &&
           QFileInfo(exeDir).fileName() == QLatin1String("bin") && QFileInfo(sharedFolder(exeDir)).isDir();
}

QString DataFolder(const QString& exeDir) {
    if (!IsInstalled(exeDir)) return exeDir;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velumix");
}

QString ManualFile(const QString& exeDir) {
    const QString page = QStringLiteral("/webmanual/vlm.htm");
    return IsInstalled(exeDir) ? sharedFolder(exeDir) + page : exeDir + page;
}

bool Prepare(const QString& exeDir, QString* error) {
    if (!IsInstalled(exeDir)) return true;
    const QString folder = DataFolder(exeDir);
    const QString library = folder + QStringLiteral("/songs.mdb");
    if (QFileInfo::exists(library)) return true;
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("Could not create the folder '%1'.").arg(folder);
        return false;
    }
    return CreateEmptyLibrary(library, error);
}

}  // namespace AppFolder

#include "app/StartOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "library/ListFile.h"

namespace StartOptions {
namespace {

// The Exec key's rules: a path with reserved characters goes in double
// quotes with ", `, $ and \ escaped; a % is doubled; and the value as a
// whole is a string in which a backslash is written twice.
QString execValue(const QString& program) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString v = program;
    v.replace('%', QStringLiteral("%%"));
    if (std::any_of(v.begin(), v.end(), [](QChar c) { return reserved.contains(c); })) {
        QString q;
        for (QChar c : v) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
            q += c;
        }
        v = '"' + q + '"';
    }
    return v.replace('\\', QStringLiteral("\\\\"));
}

}  // namespace

QByteArray AutostartEntry(const QString& program) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Velumix\n"
               "Comment=Starts the jukebox when you log in\n"
               "Exec=%1\n"
               "Icon=velumix\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(execValue(program))
        .toUtf8();
}

QString AutostartFile() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/velumix.desktop");
}

bool StartsAtLogin() {
    return QFileInfo::exists(AutostartFile());
}

bool SetStartAtLogin(bool on, const QString& program, QString* error) {
    const QString file = AutostartFile();
    if (!on) {
        if (!QFileInfo::exists(file) || QFile::remove(file)) return true;
        if (error) *error = QStringLiteral("%1 could not be removed").arg(file);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(file).path())) {
        if (error) *error = QStringLiteral("%1 could not be made").arg(QFileInfo(file).path());
        return false;
    }
    return ListFile::WriteAtomically(file, AutostartEntry(program), error);
}

}  // namespace StartOptions

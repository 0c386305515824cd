#include "library/FileRewrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>

namespace FileRewrite {

namespace {

bool copyBytes(QFile& from, QFile& to) {
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = from.read(buffer, sizeof buffer);
        if (n == 0) return to.flush();
        if (n < 0 || to.write(buffer, n) != n) return false;
    }
}

// The copy's bytes reach the disk before the rename makes them the song's.
bool sync(const QString& file) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
}

}  // namespace

bool Replace(const QString& file, const std::function<bool(const QString& copy)>& edit) {
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const QFileInfo info(file);
    if (!info.isFile() || !(info.permissions() & anyWrite)) return false;
    // A dot name: a scan running meanwhile does not list it as a song.
    QTemporaryFile copy(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    QFile original(file);
    if (!copy.open() || !original.open(QIODevice::ReadOnly) || !copyBytes(original, copy)) return false;
    copy.close();
    original.close();
    if (!edit(copy.fileName()) || !sync(copy.fileName())) return false;
    if (!QFile::setPermissions(copy.fileName(), info.permissions())) return false;
    if (std::rename(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(file).constData()) != 0)
        return false;
    copy.setAutoRemove(false);
    return true;
}

}  // namespace FileRewrite

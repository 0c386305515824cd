#include "library/FolderPrints.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <algorithm>
#include <vector>

#include "library/Module1State.h"

namespace FolderPrints {

namespace {

struct Entry {
    QByteArray name;
    qint64 size;
    qint64 mtimeNs;
    bool operator<(const Entry& o) const { return name < o.name; }
};

}  // namespace

QByteArray Of(const QString& folder, const QString& mode) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) return {};
    std::vector<Entry> entries;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        struct stat st;
        // Through links, as the scan reads them; only what leads to a regular file counts.
        if (::fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        entries.push_back({QByteArray(e->d_name), qint64(st.st_size),
                           qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());  // the system lists in no set order
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(mode.toUtf8());
    for (const Entry& e : entries) {
        hash.addData(
            QByteArrayView(e.name.constData(), e.name.size() + 1));  // with its NUL: names stay apart
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&e.size), sizeof e.size));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&e.mtimeNs), sizeof e.mtimeNs));
    }
    return hash.result();
}

Kept::Kept() {
    QSqlQuery q(Module1::cnLibrary.database());
    // A library with no prints kept yet has no table: nothing is unchanged.
    if (!q.exec(QStringLiteral("SELECT folder, print FROM velumix_folder_prints p WHERE rows = "
                               "(SELECT count(*) FROM songs WHERE path = p.folder)")))
        return;
    while (q.next()) prints_.insert(q.value(0).toString(), q.value(1).toByteArray());
}

bool Kept::unchanged(const QString& folder, const QByteArray& print) const {
    return !print.isEmpty() && prints_.value(folder) == print;
}

void Keep(const QString& folder, const QByteArray& print, int rows) {
    Connection& cn = Module1::cnLibrary;
    Connection::Run(
        cn.Prepared(QStringLiteral("CREATE TABLE IF NOT EXISTS velumix_folder_prints (folder TEXT PRIMARY "
                                   "KEY, print BLOB, rows INTEGER)")));
    QSqlQuery& q =
        cn.Prepared(QStringLiteral("INSERT OR REPLACE INTO velumix_folder_prints VALUES (?, ?, ?)"));
    q.bindValue(0, folder);
    q.bindValue(1, print);
    q.bindValue(2, rows);
    Connection::Run(q);
}

}  // namespace FolderPrints

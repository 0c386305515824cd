#include "library/FolderWatcher.h"

#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>

#include "library/FolderPrints.h"

namespace {

// File systems whose folders can change without this kernel knowing.
bool isNetwork(const QString& folder) {
    struct statfs fs;
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x65735546:  // FUSE (sshfs and the like)
            return true;
        default:
            return false;
    }
}

constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                             IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

FolderWatcher::FolderWatcher(QObject* parent) : QObject(parent) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    }
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    connect(&quiet_, &QTimer::timeout, this, [this] { flush(); });
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { pollNow(); });
}

FolderWatcher::~FolderWatcher() {
    if (fd_ >= 0) ::close(fd_);
}

bool FolderWatcher::watch(const QString& folder) {
    if (polled_.contains(folder)) return false;
    QString why;
    if (isNetwork(folder)) {
        why = QStringLiteral("network");
    } else if (fd_ < 0 || (maxWatches_ >= 0 && folders_.size() >= maxWatches_)) {
        why = QStringLiteral("limit");
    } else {
        const int wd = ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), kEvents);
        if (wd >= 0) {
            folders_.insert(wd, folder);
            return true;
        }
        if (errno != ENOSPC) return false;  // gone or not a folder: nothing to watch
        why = QStringLiteral("limit");
    }
    polled_.insert(folder, why);
    lastPrints_.insert(folder, FolderPrints::Of(folder, QString()));
    if (!poll_.isActive()) poll_.start();
    return false;
}

void FolderWatcher::readEvents() {
    alignas(inotify_event) char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
            at += sizeof(inotify_event) + e->len;
            if (e->mask & IN_Q_OVERFLOW) {  // events were lost: any folder may have changed
                for (const QString& f : folders_) pending_.insert(f);
                continue;
            }
            const QString folder = folders_.value(e->wd);
            if (folder.isEmpty()) continue;
            if (e->mask & IN_IGNORED) {  // the folder went away: its last events came before
                folders_.remove(e->wd);
                continue;
            }
            pending_.insert(folder);
            if ((e->mask & IN_ISDIR) && (e->mask & (IN_CREATE | IN_MOVED_TO)) && e->len > 0)
                pending_.insert(folder + QFile::decodeName(e->name) + '/');
        }
    }
    if (!pending_.isEmpty()) quiet_.start();  // restarted by each event: waits for quiet
}

QStringList FolderWatcher::pending() const {
    QStringList folders(pending_.begin(), pending_.end());
    folders.sort();
    return folders;
}

void FolderWatcher::flush() {
    quiet_.stop();
    if (pending_.isEmpty()) return;
    const QStringList folders = pending();
    pending_.clear();
    emit changed(folders);
}

void FolderWatcher::pollNow() {
    for (auto it = lastPrints_.begin(); it != lastPrints_.end(); ++it) {
        const QByteArray now = FolderPrints::Of(it.key(), QString());
        if (now != it.value()) pending_.insert(it.key());
        it.value() = now;
    }
    flush();
}

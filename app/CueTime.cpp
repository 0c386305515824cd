#include "app/CueTime.h"

#include <QFileInfo>
#include <algorithm>

#include "audio/SongLength.h"

namespace {

// Entries are a few dozen bytes; past this many the cache starts afresh
// rather than growing without end over a long night of browsing.
constexpr qsizetype kCacheLimit = 50000;

QString clock(double seconds) {
    const qint64 s = qint64(seconds + 0.5);
    const QString ms = QStringLiteral("%1:%2")
                           .arg(s / 60 % 60, s >= 3600 ? 2 : 1, 10, QChar(u'0'))
                           .arg(s % 60, 2, 10, QChar(u'0'));
    return s >= 3600 ? QString::number(s / 3600) + u':' + ms : ms;
}

}  // namespace

CueTime::CueTime(QObject* parent) : QObject(parent), thread_([this] { run(); }) {}

CueTime::~CueTime() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void CueTime::enqueue(const QString& file) {
    if (queued_.contains(file)) return;
    queued_.insert(file);
    queue_.push_back(file);
}

CueTime::Total CueTime::Sum(const QStringList& files) {
    Total t;
    {
        std::lock_guard lock(mutex_);
        for (const QString& f : files) {
            const auto it = cache_.constFind(f);
            if (it == cache_.cend())
                ++t.pending;
            else if (it->seconds < 0)
                ++t.unknown;
            else
                t.seconds += it->seconds;
            // Known ones too: the reader checks that the file has not changed.
            enqueue(f);
        }
    }
    wake_.notify_one();
    return t;
}

double CueTime::Seconds(const QString& file) {
    {
        std::lock_guard lock(mutex_);
        const auto it = cache_.constFind(file);
        if (it != cache_.cend()) return it->seconds;
        enqueue(file);
    }
    wake_.notify_one();
    return -1;
}

QString CueTime::Clock(double seconds) {
    return seconds < 0 ? QString() : clock(seconds);
}

QString CueTime::Caption(const Total& total, double liveLeft, const QTime& now) {
    const double left = total.seconds + std::max(0.0, liveLeft);
    QString text = QStringLiteral("Total ") + clock(total.seconds) + QStringLiteral(", ends ") +
                   now.addSecs(int(left + 0.5)).toString(QStringLiteral("HH:mm"));
    if (total.unknown) text += QStringLiteral(", %1 unknown").arg(total.unknown);
    if (total.pending) text += QStringLiteral(", reading %1").arg(total.pending);
    return text;
}

std::optional<double> CueTime::Known(const QString& file) {
    std::lock_guard lock(mutex_);
    const auto it = cache_.constFind(file);
    return it == cache_.cend() ? std::nullopt : std::optional<double>(it->seconds);
}

QString CueTime::LengthKey(const QString& file) {
    const std::optional<double> s = Known(file);
    // Of one width, so that even a collator without a numeric mode orders them by value.
    return s && *s >= 0 ? QStringLiteral("%1").arg(qint64(*s * 1000), 12, 10, QLatin1Char('0')) : QString();
}

void CueTime::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void CueTime::run() {
    bool news = false;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (queue_.empty()) {
            busy_ = false;
            if (news) QMetaObject::invokeMethod(this, &CueTime::LengthsChanged, Qt::QueuedConnection);
            news = false;
            idle_.notify_all();
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        }
        if (stop_) return;
        busy_ = true;
        const QString file = queue_.front();
        queue_.pop_front();
        queued_.remove(file);
        const auto cached = cache_.constFind(file);
        const qint64 known = cached == cache_.cend() ? -1 : cached->modified;
        const bool wasCached = cached != cache_.cend();
        lock.unlock();
        // The disk is touched with the lock released: the window never waits on it.
        const qint64 modified = QFileInfo(file).lastModified().toMSecsSinceEpoch();
        Entry e{modified, -1};
        const bool read = !wasCached || modified != known;
        if (read) e.seconds = audio::songLengthSeconds(QFile::encodeName(file).toStdString());
        lock.lock();
        if (read) {
            if (cache_.size() >= kCacheLimit) cache_.clear();
            cache_.insert(file, e);
            news = true;
        }
    }
}

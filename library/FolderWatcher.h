#pragma once
// Tells which folders changed on disk while the program runs, through the
// kernel's inotify: one watch per folder, on files created, deleted, moved in
// or out and closed after writing. A folder is reported once it has been
// quiet for about a second, so a copy of an album is one change, not fifty.
// Folders that raise no events (the watch limit reached, or a network file
// system, where changes made by other machines never reach this kernel) are
// checked instead by a light periodic pass over their listings.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

class QSocketNotifier;

class FolderWatcher : public QObject {
    Q_OBJECT
  public:
    explicit FolderWatcher(QObject* parent = nullptr);
    ~FolderWatcher() override;

    // Watches folder (ending in "/"); false when it goes to the periodic pass.
    bool watch(const QString& folder);
    int watchedCount() const { return folders_.size(); }
    // Folders the periodic pass checks, each with why: "limit" or "network".
    QHash<QString, QString> polled() const { return polled_; }
    // At most this many watches (besides the kernel's own limit); tests lower it.
    void setMaxWatches(int n) { maxWatches_ = n; }

    static constexpr int kQuietMs = 1000;
    // How long a folder must be quiet; tests lengthen it and call flush().
    void setQuietMs(int ms) { quiet_.setInterval(ms); }
    static constexpr int kPollMs = 5 * 60 * 1000;
    // Folders with events waiting for quiet, sorted.
    QStringList pending() const;
    // Reports the pending folders now, as the quiet timer does; tests call it
    // rather than wait. The periodic pass likewise.
    void flush();
    void pollNow();

  signals:
    // Folders that changed; a folder created inside a watched one is named too.
    void changed(const QStringList& folders);

  private:
    void readEvents();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QHash<int, QString> folders_;  // watch descriptor -> folder
    QHash<QString, QString> polled_;
    QHash<QString, QByteArray> lastPrints_;
    QSet<QString> pending_;
    QTimer quiet_;
    QTimer poll_;
    int maxWatches_ = -1;
};

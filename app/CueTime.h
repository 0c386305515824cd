#pragma once
// The cue's playing time: the songs' lengths are read from their files'
// headers on a thread of their own, so that a cue of thousands of songs never
// holds up the window, and kept in a cache keyed by file and modification time.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTime>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

class CueTime : public QObject {
    Q_OBJECT
  public:
    explicit CueTime(QObject* parent = nullptr);
    ~CueTime() override;

    struct Total {
        double seconds = 0;  // of the songs whose length is known
        int unknown = 0;     // songs whose length cannot be told
        int pending = 0;     // songs not read yet
    };
    // The total as known now. Every file goes to the reader, which reads the
    // new and changed ones and tells LengthsChanged when it has news.
    Total Sum(const QStringList& files);

    // One file's length as known now: -1 while unknown or not read yet, in
    // which case a file never read goes to the reader (LengthsChanged follows).
    double Seconds(const QString& file);
    // "m:ss" or "h:mm:ss"; "" for a length below 0.
    static QString Clock(double seconds);

    // "Total 1:02:03, ends 23:41", with ", 2 unknown" and ", reading 5"
    // when it applies; liveLeft is what the live deck has still to play.
    static QString Caption(const Total& total, double liveLeft, const QTime& now);

    // One file's length as read: seconds, negative when it cannot be told,
    // nothing when it has not been read yet.
    std::optional<double> Known(const QString& file);

    // A known length as digits that sort by its value, "" otherwise; a
    // header click sorts by it without sending every file to the reader.
    QString LengthKey(const QString& file);

    // Blocks until the reader has nothing queued (for tests).
    void WaitIdle();

  signals:
    void LengthsChanged();

  private:
    struct Entry {
        qint64 modified = 0;
        double seconds = -1;
    };
    void run();
    // Sends a file to the reader once, however often it is asked for; with mutex_ held.
    void enqueue(const QString& file);

    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<QString> queue_;
    QSet<QString> queued_;
    QHash<QString, Entry> cache_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

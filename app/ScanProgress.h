#pragma once
// The progress shown while a scan runs long: after about half a second a
// dialog names the folder in progress, counts the run's folders and songs and
// the folder's files, and has Cancel. One
// serves a whole run over many folders, so a run of small folders shows it
// too and one Cancel stops the run. Events are pumped regularly meanwhile, so
// the main window's timers keep the decks going.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>

class QProgressDialog;

class ScanProgress {
  public:
    explicit ScanProgress(const QString& folderPath = QString());
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    // The folder the next files belong to, the index-th (from 0) of count.
    void setFolder(const QString& folderPath, int index = 0, int count = 1) {
        folder_ = folderPath;
        index_ = index;
        count_ = count;
    }
    // Songs the run has stored so far grow by n.
    void addSongs(int n) { songs_ += n; }
    // Folders of the run that could not be listed, named once in the dialog.
    void setUnreadable(const QStringList& folders) { unreadable_ = folders; }
    // Called after each file; false when the user cancelled.
    bool operator()(int done, int total);

    // Milliseconds since the scan started; tests replace it to drive time by hand.
    using Clock = qint64 (*)(const QElapsedTimer& started);
    static void setClock(Clock clock);

    static constexpr qint64 kShowAfterMs = 500;
    static constexpr qint64 kPumpEveryMs = 30;

  private:
    QString text(int done, int total) const;

    QString folder_;
    int index_ = 0;
    int count_ = 1;
    int songs_ = 0;
    QStringList unreadable_;
    QElapsedTimer started_;
    qint64 lastPump_ = 0;
    QPointer<QProgressDialog> dialog_;
};

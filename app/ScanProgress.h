#pragma once
// The progress shown while a scan runs long: after about half a second a
// dialog names the folder in progress and counts its files, with Cancel. One
// serves a whole run over many folders, so a run of small folders shows it
// too and one Cancel stops the run. Events are pumped regularly meanwhile, so
// the main window's timers keep the decks going.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;

class ScanProgress {
  public:
    explicit ScanProgress(const QString& folderPath = QString());
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    // The folder the next files belong to.
    void setFolder(const QString& folderPath) { folder_ = folderPath; }
    // Called after each file; false when the user cancelled.
    bool operator()(int done, int total);

    // Milliseconds since the scan started; tests replace it to drive time by hand.
    using Clock = qint64 (*)(const QElapsedTimer& started);
    static void setClock(Clock clock);

    static constexpr qint64 kShowAfterMs = 500;
    static constexpr qint64 kPumpEveryMs = 30;

  private:
    QString folder_;
    QElapsedTimer started_;
    qint64 lastPump_ = 0;
    QPointer<QProgressDialog> dialog_;
};

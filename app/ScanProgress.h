#pragma once
// The progress shown while a folder scan runs long: after about half a second
// a dialog names the folder and counts files, with Cancel. Events are pumped
// regularly meanwhile, so the main window's timers keep the decks going.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;

class ScanProgress {
  public:
    explicit ScanProgress(const QString& folderPath);
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

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

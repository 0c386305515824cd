#include "app/ScanProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {
qint64 realClock(const QElapsedTimer& started) {
    return started.elapsed();
}
ScanProgress::Clock g_clock = realClock;
}  // namespace

void ScanProgress::setClock(Clock clock) {
    g_clock = clock ? clock : realClock;
}

ScanProgress::ScanProgress(const QString& folderPath) : folder_(folderPath) {
    started_.start();
}

ScanProgress::~ScanProgress() {
    delete dialog_.data();
}

bool ScanProgress::operator()(int done, int total) {
    const qint64 now = g_clock(started_);
    if (now - lastPump_ < kPumpEveryMs) return true;
    lastPump_ = now;
    if (!dialog_ && now >= kShowAfterMs) {
        // Application-modal: the timers run on, but nothing else can start
        // another scan or touch the library meanwhile.
        dialog_ = new QProgressDialog();
        dialog_->setWindowTitle(QStringLiteral("Velumix"));
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        dialog_->setRange(0, total);
        dialog_->show();
    }
    if (dialog_) {
        dialog_->setMaximum(total);
        dialog_->setLabelText(text(done, total));
        dialog_->setValue(done);
        QCoreApplication::processEvents();
        return !dialog_ || !dialog_->wasCanceled();
    }
    // Before the dialog shows there is nothing the user could click on usefully.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

QString ScanProgress::text(int done, int total) const {
    QString t = QStringLiteral("Scanning %1\n").arg(folder_);
    for (const QString& f : unreadable_) t += QStringLiteral("Cannot read %1: skipped\n").arg(f);
    if (count_ > 1 || songs_ > 0)
        t += QStringLiteral("Folder %1 of %2, %3 songs so far\n").arg(index_ + 1).arg(count_).arg(songs_);
    return t + QStringLiteral("%1 of %2 files").arg(done).arg(total);
}

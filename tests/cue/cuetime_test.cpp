#include <QCoreApplication>
#include <QDateTime>

#include "app/ListOptions.h"
#include "support/CueFixture.h"
#include "support/WavWriter.h"

// Lengths come in from the reader thread; the window shows what is known.
TEST_F(CueTest, CueTimeSumsKnownLengthsCountsUnknownAndRereadsChangedFiles) {
    // The Length column would send the shown rows to the reader before the sum does.
    Options::Set(Options::ShowTagColumns, false);
    f->ApplyTagColumns();
    const QString d = app.path() + "/";
    WriteSineWav(d + "a.wav", 60, 440);
    WriteSineWav(d + "b.wav", 30, 440);
    ASSERT_TRUE(ListFile::WriteAtomically(d + "bad.mp3", "not audio at all"));
    f->lstPlaylist->AddRows({{"1", "a.wav", d}, {"1", "b.wav", d}, {"1", "bad.mp3", d}});
    QCoreApplication::processEvents();  // the cue change is summed
    EXPECT_TRUE(f->lblCueTime->toolTip().contains("reading 3"));
    const auto settle = [&] {
        for (int round = 0; round < 3; ++round) {
            f->cueTime_.WaitIdle();
            QCoreApplication::processEvents();
        }
    };
    settle();
    const QString caption = f->lblCueTime->toolTip();
    EXPECT_TRUE(caption.startsWith("Total 1:30, ends ")) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(", 1 unknown")) << caption.toStdString();
    // The label is cut short to fit beside the count; the tip holds the whole text.
    EXPECT_LE(f->lblCueTime->fontMetrics().horizontalAdvance(f->lblCueTime->text()), f->lblCueTime->width());

    // A file rewritten under the same name is read again.
    WriteSineWav(d + "b.wav", 90, 440);
    QFile b(d + "b.wav");
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    b.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    f->lstPlaylist->Remove(3);
    settle();
    EXPECT_TRUE(f->lblCueTime->toolTip().startsWith("Total 2:30, ends "));

    EXPECT_EQ(CueTime::Caption({3725, 0, 0}, 60, QTime(23, 0)), "Total 1:02:05, ends 00:03");
    Options::Set(Options::ShowTagColumns, true);
}

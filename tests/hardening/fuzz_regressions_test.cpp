// Inputs the fuzzers found that once crashed, kept so the faults stay fixed.
#include <gtest/gtest.h>

#include <QByteArray>

#include "audio/MidiFile.h"

TEST(FuzzRegressions, RmiWhoseOddLastChunkEndsTheFile) {
    // A RIFF/RMID whose only chunk is odd-sized and ends exactly at the end of
    // the file: its pad byte would lie one past the end.
    const QByteArray bytes = QByteArray::fromBase64("UklGRjwAAABSTUlEZGV0YQ8AAABNVHJrABoA/1F/9wD/LwA=");
    const uint8_t* smf = nullptr;
    size_t smfSize = 0;
    EXPECT_FALSE(audio::unwrapRmi(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()),
                                  &smf, &smfSize));
}

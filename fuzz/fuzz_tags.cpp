// Tag reading through TagLib on arbitrary file contents, the first byte
// choosing the file type: it must never fail loudly, and what it reads comes
// out trimmed, or not at all; and the quick reader of plain MP3 and FLAC tags
// agrees with it wherever it answers.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "fuzz/FuzzApp.h"
#include "library/FastTags.h"
#include "library/NativeTag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzApp();
    if (size == 0) return 0;
    static const char* const types[] = {"mp3", "flac", "ogg", "opus", "m4a", "wma", "asf", "oga"};
    const QString file =
        QDir::tempPath() +
        QStringLiteral("/velumix-fuzz-tags-%1.%2").arg(getpid()).arg(QLatin1String(types[data[0] % 8]));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    }
    NativeTag::Fields out;
    const bool read = NativeTag::Read(file, out);
    // Where the quick reader answers, it must answer as TagLib does, Null and empty apart.
    const ReadOnlyFile open(file);
    NativeTag::Fields fast, slow;
    FastTags::Answer answer = FastTags::Answer::Unsure;
    bool slowRead = false;
    if (data[0] % 8 < 2) {
        answer = data[0] % 8 == 0 ? FastTags::Id3v2(open, fast) : FastTags::Flac(open, fast);
        slowRead =
            data[0] % 8 == 0 ? NativeTag::ReadId3v2(file, slow) : NativeTag::ReadThroughTagLib(file, slow);
    }
    QFile::remove(file);
    if (answer != FastTags::Answer::Unsure) {
        if ((answer == FastTags::Answer::Found) != slowRead) std::abort();
        const QString* a[] = {&fast.title, &fast.artist, &fast.album, &fast.year, &fast.comment, &fast.genre};
        const QString* b[] = {&slow.title, &slow.artist, &slow.album, &slow.year, &slow.comment, &slow.genre};
        for (int i = 0; i < 6; ++i)
            if (*a[i] != *b[i] || a[i]->isNull() != b[i]->isNull()) std::abort();
    }
    bool any = false;
    for (const QString* s : {&out.title, &out.artist, &out.album, &out.year, &out.comment, &out.genre}) {
        if (*s != s->trimmed()) std::abort();
        any = any || !s->isEmpty();
    }
    if (read != any) std::abort();
    return 0;
}

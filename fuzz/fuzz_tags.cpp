// Tag reading through TagLib on arbitrary file contents, the first byte
// choosing the file type: it must never fail loudly, and what it reads comes
// out trimmed, or not at all.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "fuzz/FuzzApp.h"
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
    QFile::remove(file);
    bool any = false;
    for (const QString* s : {&out.title, &out.artist, &out.album, &out.year, &out.comment, &out.genre}) {
        if (*s != s->trimmed()) std::abort();
        any = any || !s->isEmpty();
    }
    if (read != any) std::abort();
    return 0;
}

// The tag reader on arbitrary file contents: it must never fail loudly, and a
// tag it reports must hold fields of exactly their widths.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzApp.h"
#include "library/ID3Tag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzApp();
    static const QString file = QDir::tempPath() + QStringLiteral("/velumix-fuzz-id3-%1.mp3").arg(getpid());
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    ID3Tag::ID3v1Tag tag;
    if (ID3Tag::ReadID3Tag(file, tag)) {
        if (tag.Header != "TAG" || tag.Title.size() != 30 || tag.Artist.size() != 30 ||
            tag.Album.size() != 30 || tag.Year.size() != 4 || tag.Comment.size() != 30 ||
            tag.Genre.size() != 1)
            std::abort();
        if (ID3Tag::GenreName(tag.Genre).isEmpty()) std::abort();
    }
    return 0;
}

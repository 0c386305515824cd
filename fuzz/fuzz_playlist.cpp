// The play-list reader (M3U, M3U8, PLS, XSPF) on arbitrary bytes, the first
// byte choosing the format: it must never fail loudly, every entry it gives
// names something, and resolving the entries only counts what it leaves out.
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzApp.h"
#include "library/PlaylistFormats.h"

using namespace PlaylistFormats;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzApp();
    if (size == 0) return 0;
    const Format format = Format(data[0] % 4);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const auto items = Parse(format, bytes);
    if (!items) return 0;
    for (const Item& item : *items)
        if (item.location.isEmpty()) std::abort();
    // A folder that does not exist: nothing found, everything counted.
    const Imported in = Resolve(format, *items, QStringLiteral("/nonexistent-velumix-fuzz"), true);
    if (in.songs.size() + in.urls + in.missing + in.notAudio != items->size()) std::abort();
    return 0;
}

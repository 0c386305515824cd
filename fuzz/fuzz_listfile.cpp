// The list-file reader and the record split on arbitrary bytes: every field
// is read without hanging, and a split puts back together to the field.
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzApp.h"
#include "library/ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzApp();
    const QString text = ListFile::Decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    ListFile::RecordReader reader(text);
    qsizetype guard = text.size() + 2;
    while (!reader.AtEnd()) {
        if (--guard < 0) std::abort();  // every field must consume input
        const QString field = reader.Next();
        QString path, name;
        if (ListFile::Split(field, path, name) && path + ListFile::kSeparator + name != field) std::abort();
    }
    return 0;
}

#include "library/Cp1252.h"

namespace Cp1252 {

namespace {

// 81, 8D, 8F, 90 and 9D are unassigned and kept as the control codes of the
// same number, so every byte reads as something and writes back unchanged.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int byteOf(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u) return 0x80 + i;
    return -1;
}

}  // namespace

QString Decode(const char* bytes, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

bool Encode(const QString& text, QByteArray& out) {
    QByteArray bytes(text.size(), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = byteOf(text[i]);
        if (b < 0) return false;
        bytes[i] = static_cast<char>(b);
    }
    out = bytes;
    return true;
}

QString Unencodable(const QString& text) {
    QString out;
    for (const QChar c : text)
        if (byteOf(c) < 0 && !out.contains(c)) out += c;
    return out;
}

}  // namespace Cp1252

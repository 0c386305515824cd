#include "library/ListFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace ListFile {

namespace {

const QChar kQuote = u'"';
const QChar kComma = u',';
const QChar kCR = u'\r';
const QChar kLF = u'\n';

bool isLineBreak(QChar c) {
    return c == kCR || c == kLF;
}

// The bytes 80-9F of Windows-1252; the rest of the code page is Latin-1.
// Used only when the platform's converter does not know the code page.
QString decode1252ByHand(const QByteArray& bytes) {
    static const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += (b >= 0x80 && b < 0xA0) ? QChar(high[b - 0x80]) : QChar(b);
    }
    return out;
}

}  // namespace

QByteArray Record(const QString& text) {
    QByteArray out;
    const QByteArray body = text.toUtf8();
    out.reserve(body.size() + 4);
    // A name may hold a double quote on this system, which a quoted field
    // cannot carry. Such a record is written unquoted where the reader takes
    // it back whole: no comma or line break in it, nothing to trim.
    const bool unquoted = text.contains(kQuote) && !text.contains(kComma) && !text.contains(kCR) &&
                          !text.contains(kLF) && !text.startsWith(u' ') && !text.endsWith(u' ') &&
                          !text.startsWith(u'\t') && !text.startsWith(kQuote);
    if (unquoted) return body + "\r\n";
    out += '"';
    out += body;
    out += "\"\r\n";
    return out;
}

QString Decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        // Lists written on another system in its Windows code page.
        QStringDecoder cp1252("Windows-1252", QStringDecoder::Flag::Stateless);
        text = cp1252.isValid() ? QString(cp1252.decode(bytes)) : decode1252ByHand(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

QString RecordReader::Next() {
    const qsizetype n = text_.size();
    // A byte order mark some editors put at the start is no part of the first field.
    if (pos_ == 0 && n > 0 && text_[0] == QChar(0xFEFF)) pos_ = 1;
    auto skipLineBreak = [&] {
        if (pos_ < n && text_[pos_] == kCR) ++pos_;
        if (pos_ < n && text_[pos_] == kLF) ++pos_;
    };
    while (pos_ < n && (text_[pos_] == u' ' || text_[pos_] == u'\t')) ++pos_;
    if (pos_ >= n) return {};
    if (isLineBreak(text_[pos_])) {
        // An empty line (or one of blanks only) is one empty field.
        skipLineBreak();
        return {};
    }
    if (text_[pos_] == kQuote) {
        const qsizetype start = pos_ + 1;
        qsizetype close = text_.indexOf(kQuote, start);
        if (close < 0) close = n;
        const QString field = text_.mid(start, close - start);
        pos_ = close + 1;
        // Whatever trails the closing quote on its line is dropped, up to the
        // comma or line break that ends the field.
        while (pos_ < n && text_[pos_] != kComma && !isLineBreak(text_[pos_])) ++pos_;
        if (pos_ < n && text_[pos_] == kComma)
            ++pos_;
        else
            skipLineBreak();
        return field;
    }
    const qsizetype start = pos_;
    while (pos_ < n && text_[pos_] != kComma && !isLineBreak(text_[pos_])) ++pos_;
    QString field = text_.mid(start, pos_ - start);
    if (pos_ < n && text_[pos_] == kComma)
        ++pos_;
    else
        skipLineBreak();
    // Spaces only: a tab inside a hand-made field stays.
    qsizetype b = 0, e = field.size();
    while (b < e && field[b] == u' ') ++b;
    while (e > b && field[e - 1] == u' ') --e;
    return field.mid(b, e - b);
}

bool Split(const QString& field, QString& path, QString& name) {
    const qsizetype at = field.indexOf(kSeparator);
    if (at < 0) return false;
    path = field.left(at);
    name = field.mid(at + kSeparator.size());
    return true;
}

bool ReadAll(const QString& file, QByteArray& bytes, QString* error) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = f.errorString();
        return false;
    }
    bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error) *error = f.errorString();
        bytes.clear();
        return false;
    }
    return true;
}

bool WriteAtomically(const QString& file, const QByteArray& bytes, QString* error) {
    // The bytes go to a temporary file beside the target, which is synced and
    // renamed over it only when complete: a crash, kill or full disk part-way
    // leaves the earlier file untouched.
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error) *error = f.errorString();
        return false;
    }
    if (f.write(bytes) != bytes.size()) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

}  // namespace ListFile

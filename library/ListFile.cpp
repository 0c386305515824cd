#include "library/ListFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "library/Cp1252.h"

namespace ListFile {

namespace {

const QChar kQuote = u'"';
const QChar kComma = u',';
const QChar kCR = u'\r';
const QChar kLF = u'\n';

bool isLineBreak(QChar c) {
    return c == kCR || c == kLF;
}

// Each line on its own: UTF-8, or Windows-1252 when its bytes are not valid
// UTF-8 (a record pasted in from a list written on another system), so one
// stray byte garbles no other record. CR and LF never occur inside a UTF-8
// sequence, so cutting there splits no character.
QString decodeByLine(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        while (end < bytes.size() && (bytes[end] == '\r' || bytes[end] == '\n')) ++end;
        const QByteArray line = bytes.mid(at, end - at);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(line);
        if (!utf8.hasError())
            text += decoded;
        else
            text += Cp1252::Decode(line);
        at = end;
    }
    return text;
}

}  // namespace

QByteArray Record(const QString& text) {
    // A name may hold a double quote on this system. Where the reader takes
    // such a record back whole unquoted (no comma or line break, nothing to
    // trim) it is written so, as it always was; otherwise it is quoted with
    // each inner quote doubled, which the reader turns back into one.
    const bool unquoted = text.contains(kQuote) && !text.contains(kComma) && !text.contains(kCR) &&
                          !text.contains(kLF) && !text.startsWith(u' ') && !text.endsWith(u' ') &&
                          !text.startsWith(u'\t') && !text.startsWith(kQuote);
    if (unquoted) return text.toUtf8() + "\r\n";
    QString body = text;
    body.replace(kQuote, QStringLiteral("\"\""));
    return '"' + body.toUtf8() + "\"\r\n";
}

QString Decode(const QByteArray& bytes) {
    QStringDecoder whole(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = whole.decode(bytes);
    if (whole.hasError()) text = decodeByLine(bytes);
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
        // A doubled quote inside is one quote of the text.
        QString field;
        qsizetype start = pos_ + 1, close;
        for (;;) {
            close = text_.indexOf(kQuote, start);
            if (close < 0) close = n;
            field += QStringView(text_).mid(start, close - start);
            if (close + 1 >= n || text_[close + 1] != kQuote) break;
            field += kQuote;
            start = close + 2;
        }
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
    // The folder always ends in a path separator, so a folder holding the
    // separator itself still splits right at the one that follows it.
    qsizetype at = -1;
    for (qsizetype i = field.indexOf(kSeparator); i >= 0 && at < 0; i = field.indexOf(kSeparator, i + 1))
        if (i > 0 && (field[i - 1] == u'/' || field[i - 1] == u'\\')) at = i;
    if (at < 0) at = field.indexOf(kSeparator);
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
    // Unbuffered, so that a short write shows in write()'s count: buffered, the
    // bytes went out at commit, which renamed a truncated file over the good
    // one and reported success when the disk filled.
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
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

#include "library/ListFile.h"

namespace ListFile {

QByteArray Record(const QString& text) {
    return ("\"" + text + "\"\r\n").toUtf8();
}
QString Decode(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}
QString RecordReader::Next() {
    pos_ = text_.size();
    return {};
}
bool Split(const QString& field, QString& path, QString& name) {
    const qsizetype at = field.indexOf(kSeparator);
    if (at < 0) return false;
    path = field.left(at);
    name = field.mid(at + kSeparator.size());
    return true;
}
bool ReadAll(const QString&, QByteArray&, QString*) {
    return false;
}
bool WriteAtomically(const QString&, const QByteArray&, QString*) {
    return false;
}

}  // namespace ListFile

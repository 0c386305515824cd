#pragma once
// Windows-1252, the code page of tags and of list files written elsewhere. It
// agrees with Latin-1 except at 80-9F, where it has printable characters
// (€, ’, “ …) instead of control codes.
#include <QByteArray>
#include <QString>

namespace Cp1252 {

QString Decode(const char* bytes, qsizetype size);
inline QString Decode(const QByteArray& bytes) {
    return Decode(bytes.constData(), bytes.size());
}
// False, with out untouched, when a character has no byte in the code page.
bool Encode(const QString& text, QByteArray& out);
// The characters of text that have no byte, each once, in order.
QString Unencodable(const QString& text);

}  // namespace Cp1252

#include "library/ID3Tag.h"

namespace ID3Tag {

QString GenreList[127];

QString FieldText(const QString& text, int width) {
    return text.left(width).leftJustified(width, ' ');
}
void LoadGenres() {}
QString GenreName(const QString&) {
    return QStringLiteral("Unknown Genre Entry");
}
QString GenreCode(const QString&) {
    return QString(QChar(12));
}
bool ReadID3Tag(const QString&, ID3v1Tag&) {
    return false;
}
bool WriteID3Tag(const QString&, ID3v1Tag&) {
    return false;
}

}  // namespace ID3Tag

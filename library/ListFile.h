#pragma once
// List files (.vlx): one record per cue row, top row first. A record is a
// double quote, the folder, "*()*", the display name, a double quote, CR LF.
// The auto-recover file, list open/save and the multilist viewer share this.
#include <QByteArray>
#include <QString>

namespace ListFile {

inline const QString kSeparator = QStringLiteral("*()*");

// One record as written to disk (text in the locale's 8-bit encoding, UTF-8 here).
QByteArray Record(const QString& text);

// Text of a list file: each line UTF-8, or Windows-1252 when its bytes are not valid UTF-8.
QString Decode(const QByteArray& bytes);

// Reads fields one by one: quoted fields up to the next quote that is not
// doubled (a doubled one is a quote of the text), then the rest of the line up
// to a comma or line break is skipped; unquoted fields end at a comma or line
// break and are trimmed of spaces; an empty line is an empty field.
class RecordReader {
  public:
    explicit RecordReader(const QString& text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    QString Next();

  private:
    QString text_;
    qsizetype pos_ = 0;
};

// Splits a field at the first "*()*" right after a "/" or "\", else at its
// first "*()*": the path before, the display name after. False when the field
// holds no separator.
bool Split(const QString& field, QString& path, QString& name);

// Whole-file helpers. Writing replaces the file atomically: a crash, kill or
// full disk leaves the old file whole.
bool ReadAll(const QString& file, QByteArray& bytes, QString* error = nullptr);
bool WriteAtomically(const QString& file, const QByteArray& bytes, QString* error = nullptr);

}  // namespace ListFile

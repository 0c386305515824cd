#pragma once
// The tags of the files a scan meets most, read straight from their bytes: an
// MP3's ID3v2.3/2.4 tag of plain text frames and a FLAC file's Vorbis comments.
// TagLib builds a whole object model for each file, which was most of a first
// scan's time; here one open and a read or two do. Whenever a file strays from
// the plain layout the answer is Unsure and the caller asks TagLib, so the
// fields are always the ones TagLib would give.
#include <QByteArray>
#include <QString>

#include "library/NativeTag.h"

namespace FastTags {

// A file opened once for reading, with its first 4 KiB at hand. Only a regular
// file opens, and without blocking: a link named *.mp3 to a pipe or a device
// must not hang a scan.
class OpenFile {
  public:
    explicit OpenFile(const QString& path);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    qint64 size() const { return size_; }
    const QByteArray& head() const { return head_; }
    // n bytes from offset, false when the file holds fewer.
    bool read(qint64 offset, qint64 n, QByteArray& out) const;

  private:
    int fd_ = -1;
    qint64 size_ = 0;
    QByteArray head_;
};

enum class Answer {
    Found,   // out holds the fields
    None,    // no such tag, or one without any of the fields
    Unsure,  // not a plain layout: ask TagLib
};

// An MP3's ID3v2 tag, as NativeTag::ReadId3v2 reads it.
Answer Id3v2(const OpenFile& file, NativeTag::Fields& out);
// A FLAC file's Vorbis comments, as NativeTag::Read reads them.
Answer Flac(const OpenFile& file, NativeTag::Fields& out);

}  // namespace FastTags

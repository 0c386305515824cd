#pragma once
// A file opened once for reading with plain system calls, its first bytes at
// hand: a scan reads tens of thousands of tags, and this is most of its time.
// Only a regular file opens, and without blocking: a link named *.mp3 to a
// pipe or a device must not hang a scan.
#include <QByteArray>
#include <QString>

class ReadOnlyFile {
  public:
    // headBytes: how much of the file's start to read at once.
    explicit ReadOnlyFile(const QString& path, qint64 headBytes = 4096);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

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

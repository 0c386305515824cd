#include "library/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>

ReadOnlyFile::ReadOnlyFile(const QString& path, qint64 headBytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = st.st_size;
    head_.resize(std::min(size_, headBytes));
    const ssize_t got = head_.isEmpty() ? 0 : ::pread(fd_, head_.data(), head_.size(), 0);
    head_.resize(std::max<ssize_t>(got, 0));
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReadOnlyFile::read(qint64 offset, qint64 n, QByteArray& out) const {
    if (fd_ < 0 || offset < 0 || n < 0 || n > size_ - offset) return false;
    if (offset + n <= head_.size()) {
        out = head_.mid(offset, n);
        return true;
    }
    out.resize(n);
    return ::pread(fd_, out.data(), n, offset) == n;
}

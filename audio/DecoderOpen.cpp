#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/Decoder.h"
#include "audio/FfmpegDecoder.h"
#include "audio/MidiDecoder.h"

namespace audio {

FileKind sniffKind(const unsigned char* head, size_t size) {
    if (size >= 4 && std::memcmp(head, "MThd", 4) == 0) return FileKind::Midi;
    if (size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMID", 4) == 0)
        return FileKind::Rmi;
    return size == 0 ? FileKind::Unknown : FileKind::Other;
}

namespace {
// Opens a regular file for reading, or gives nullptr and the reason. The open
// does not block: a pipe or a device behind a link named like a song would
// otherwise hold the caller until something writes to it.
FILE* openRegular(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "not a regular file";
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return f;
}

bool readAll(const std::string& path, std::vector<unsigned char>& data, std::string& error) {
    FILE* f = openRegular(path, error);
    if (!f) return false;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) error = "read error";
    return ok;
}
}  // namespace

std::unique_ptr<Decoder> openDecoder(const std::string& path, int rate, std::string& error) {
    FILE* f = openRegular(path, error);
    if (!f) {
        error = "cannot open the file: " + error;
        return nullptr;
    }
    unsigned char head[16];
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    const FileKind kind = sniffKind(head, got);
    if (kind == FileKind::Unknown) {
        error = "the file is empty";
        return nullptr;
    }
    if (kind == FileKind::Other) return openFfmpegDecoder(path, rate, error);

    std::vector<unsigned char> data;
    if (!readAll(path, data, error)) {
        error = "cannot read the file: " + error;
        return nullptr;
    }
    return openMidiDecoder(data, kind == FileKind::Rmi, rate, error);
}

}  // namespace audio

// Opening and decoding arbitrary bytes as a song: a file is either refused
// with a reason or decodes to finite samples, seeks, and runs dry.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/Decoder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("AV_LOG_FORCE_NOCOLOR", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = "/tmp/velumix-fuzz-decoder-" + std::to_string(getpid()) + ".bin";
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    std::string error;
    auto dec = audio::openDecoder(file, 44100, error);
    if (!dec) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    std::vector<float> buf(2 * 1024);
    long total = 0;
    for (int i = 0; i < 64; ++i) {
        const int n = dec->read(buf.data(), 1024);
        if (n < 0 || n > 1024) std::abort();
        for (int k = 0; k < 2 * n; ++k)
            if (!std::isfinite(buf[k])) std::abort();
        if (n == 0) break;
        total += n;
    }
    if (total > 0) {
        dec->seek(total / 2);
        dec->read(buf.data(), 1024);
    }
    return 0;
}

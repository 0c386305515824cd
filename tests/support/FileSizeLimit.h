#pragma once
// Makes every file write of this process fail beyond the given size for its
// lifetime, the way a full disk fails a write part-way through.
#include <csignal>
#include <sys/resource.h>

struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        // Past the limit a write then comes up short instead of killing the
        // process; the signal stays ignored, as it matters only under a limit.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    rlimit old_{};
};

#pragma once
// Makes every file write of this process fail beyond the given size for its
// lifetime, the way a full disk fails a write part-way through.
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        // Past the limit a write then comes up short instead of killing the
        // process; the signal stays ignored, as it matters only under a limit.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old_;
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

  private:
    rlimit old_{};
};

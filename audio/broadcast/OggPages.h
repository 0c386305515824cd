#pragma once
// One Ogg logical stream being written: packets in, whole pages appended to a
// byte string. Each chained stream gets a serial number of its own.
#include <ogg/ogg.h>

#include <string>

namespace audio {

class OggPages {
  public:
    explicit OggPages(int serial) { ogg_stream_init(&os_, serial); }
    ~OggPages() { ogg_stream_clear(&os_); }
    OggPages(const OggPages&) = delete;
    OggPages& operator=(const OggPages&) = delete;

    void packet(ogg_packet& p) { ogg_stream_packetin(&os_, &p); }
    // Ready pages into out; flush forces out a partly filled one (headers
    // must end a page of their own, and the last page of a stream).
    void pages(std::string& out, bool flush = false) {
        ogg_page og;
        while (flush ? ogg_stream_flush(&os_, &og) : ogg_stream_pageout(&os_, &og)) {
            out.append(reinterpret_cast<const char*>(og.header), size_t(og.header_len));
            out.append(reinterpret_cast<const char*>(og.body), size_t(og.body_len));
        }
    }

  private:
    ogg_stream_state os_;
};

}  // namespace audio

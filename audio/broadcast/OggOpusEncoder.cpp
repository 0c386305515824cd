#include <opus/opus.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <cstring>
#include <memory>
#include <vector>

#include "audio/broadcast/OggPages.h"
#include "audio/broadcast/StreamEncoder.h"

namespace audio {
namespace {

constexpr int kOpusRate = 48000;  // Ogg Opus always decodes at 48 kHz
constexpr int kFrame = 960;       // 20 ms packets

void put16(std::string& s, unsigned v) {
    s += char(v & 0xff);
    s += char((v >> 8) & 0xff);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

class OggOpusEncoder : public StreamEncoder {
  public:
    OggOpusEncoder(OpusEncoder* enc, SwrContext* swr, int rate) : enc_(enc), swr_(swr), rate_(rate) {
        opus_encoder_ctl(enc_, OPUS_GET_LOOKAHEAD(&preSkip_));
    }
    ~OggOpusEncoder() override {
        opus_encoder_destroy(enc_);
        swr_free(&swr_);
    }

    void begin(const std::string& title, std::string& out) override {
        pages_ = std::make_unique<OggPages>(++serial_);
        granule_ = 0;
        packetNo_ = 0;
        std::string head = "OpusHead";
        head += char(1);  // version
        head += char(2);  // channels
        put16(head, unsigned(preSkip_));
        put32(head, uint32_t(rate_));
        put16(head, 0);   // output gain
        head += char(0);  // mapping family: mono or stereo
        header(head, true, out);
        std::string tags = "OpusTags";
        const std::string vendor = opus_get_version_string();
        put32(tags, uint32_t(vendor.size()));
        tags += vendor;
        const std::string comment = "TITLE=" + title;
        put32(tags, title.empty() ? 0 : 1);
        if (!title.empty()) {
            put32(tags, uint32_t(comment.size()));
            tags += comment;
        }
        header(tags, false, out);
    }

    void encode(const float* stereo, int frames, std::string& out) override {
        const int room = swr_get_out_samples(swr_, frames);
        resampled_.resize(pending_ * 2 + size_t(room) * 2);
        uint8_t* dst = reinterpret_cast<uint8_t*>(resampled_.data() + pending_ * 2);
        const uint8_t* src = reinterpret_cast<const uint8_t*>(stereo);
        const int got = swr_convert(swr_, &dst, room, &src, frames);
        if (got > 0) pending_ += size_t(got);
        size_t used = 0;
        for (; pending_ - used >= size_t(kFrame); used += kFrame) packet(resampled_.data() + used * 2, false);
        std::memmove(resampled_.data(), resampled_.data() + used * 2, (pending_ - used) * 2 * sizeof(float));
        pending_ -= used;
        pages_->pages(out);
    }

    void retitle(const std::string& title, std::string& out) override {
        // The last packet of a logical stream carries its end-of-stream mark.
        std::vector<float> tail(kFrame * 2, 0.0f);
        std::memcpy(tail.data(), resampled_.data(), pending_ * 2 * sizeof(float));
        pending_ = 0;
        packet(tail.data(), true);
        pages_->pages(out, true);
        begin(title, out);
    }

    bool titleInStream() const override { return true; }

  private:
    void header(std::string& bytes, bool first, std::string& out) {
        ogg_packet p{};
        p.packet = reinterpret_cast<unsigned char*>(bytes.data());
        p.bytes = long(bytes.size());
        p.b_o_s = first;
        p.packetno = packetNo_++;
        pages_->packet(p);
        pages_->pages(out, true);
    }

    void packet(const float* pcm, bool last) {
        unsigned char data[4000];
        const int n = opus_encode_float(enc_, pcm, kFrame, data, sizeof data);
        if (n < 0) return;
        granule_ += kFrame;
        ogg_packet p{};
        p.packet = data;
        p.bytes = n;
        p.e_o_s = last;
        p.granulepos = granule_;
        p.packetno = packetNo_++;
        pages_->packet(p);
    }

    OpusEncoder* enc_;
    SwrContext* swr_;
    int rate_;
    int preSkip_ = 0;
    int serial_ = 0x0b050000;
    int64_t granule_ = 0, packetNo_ = 0;
    std::unique_ptr<OggPages> pages_;
    std::vector<float> resampled_;
    size_t pending_ = 0;  // frames in resampled_ not yet in a packet
};

}  // namespace

std::unique_ptr<StreamEncoder> MakeOggOpusEncoder(int rate, int kbps, std::string& error) {
    int rc = 0;
    OpusEncoder* enc = opus_encoder_create(kOpusRate, 2, OPUS_APPLICATION_AUDIO, &rc);
    if (enc && opus_encoder_ctl(enc, OPUS_SET_BITRATE(kbps * 1000)) == OPUS_OK) {
        SwrContext* swr = nullptr;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLT, kOpusRate, &stereo, AV_SAMPLE_FMT_FLT, rate,
                                0, nullptr) == 0 &&
            swr_init(swr) == 0)
            return std::make_unique<OggOpusEncoder>(enc, swr, rate);
        swr_free(&swr);
    }
    if (enc) opus_encoder_destroy(enc);
    error = "Opus cannot encode " + std::to_string(kbps) + " kbps.";
    return nullptr;
}

}  // namespace audio

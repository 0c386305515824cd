#include <vorbis/vorbisenc.h>

#include <memory>

#include "audio/broadcast/OggPages.h"
#include "audio/broadcast/StreamEncoder.h"

namespace audio {
namespace {

class OggVorbisEncoder : public StreamEncoder {
  public:
    OggVorbisEncoder(int rate, int kbps) : rate_(rate), kbps_(kbps) {}
    ~OggVorbisEncoder() override { close(); }

    // Tried once at construction so a bitrate the codec refuses is reported
    // before connecting rather than mid-stream.
    bool usable() {
        vorbis_info vi;
        vorbis_info_init(&vi);
        const bool ok = setUp(vi);
        vorbis_info_clear(&vi);
        return ok;
    }

    void begin(const std::string& title, std::string& out) override {
        vorbis_info_init(&vi_);
        setUp(vi_);
        vorbis_comment vc;
        vorbis_comment_init(&vc);
        if (!title.empty()) vorbis_comment_add_tag(&vc, "TITLE", title.c_str());
        vorbis_analysis_init(&vd_, &vi_);
        vorbis_block_init(&vd_, &vb_);
        pages_ = std::make_unique<OggPages>(++serial_);
        ogg_packet id, comments, codebooks;
        vorbis_analysis_headerout(&vd_, &vc, &id, &comments, &codebooks);
        pages_->packet(id);
        pages_->packet(comments);
        pages_->packet(codebooks);
        pages_->pages(out, true);
        vorbis_comment_clear(&vc);
        open_ = true;
    }

    void encode(const float* stereo, int frames, std::string& out) override {
        float** in = vorbis_analysis_buffer(&vd_, frames);
        for (int i = 0; i < frames; ++i) {
            in[0][i] = stereo[2 * i];
            in[1][i] = stereo[2 * i + 1];
        }
        vorbis_analysis_wrote(&vd_, frames);
        drain(out);
    }

    void retitle(const std::string& title, std::string& out) override {
        vorbis_analysis_wrote(&vd_, 0);  // marks the end of this logical stream
        drain(out);
        pages_->pages(out, true);
        close();
        begin(title, out);
    }

    bool titleInStream() const override { return true; }

  private:
    // Codes at the quality libvorbis maps the bitrate to, which averages
    // about that rate on music, with its bitrate manager off: the manager
    // codes every packet at many rates to pick one (three to four times the
    // CPU) and holds a rate only by starving dense passages or padding quiet
    // ones. So a bare tone or a quiet intro takes fewer bits than the
    // setting; the stream's header still announces it.
    bool setUp(vorbis_info& vi) const {
        return vorbis_encode_setup_managed(&vi, 2, rate_, -1, kbps_ * 1000, -1) == 0 &&
               vorbis_encode_ctl(&vi, OV_ECTL_RATEMANAGE2_SET, nullptr) == 0 &&
               vorbis_encode_setup_init(&vi) == 0;
    }

    void drain(std::string& out) {
        ogg_packet p;
        while (vorbis_analysis_blockout(&vd_, &vb_) == 1) {
            vorbis_analysis(&vb_, nullptr);
            vorbis_bitrate_addblock(&vb_);
            while (vorbis_bitrate_flushpacket(&vd_, &p)) pages_->packet(p);
        }
        pages_->pages(out);
    }

    void close() {
        if (!open_) return;
        pages_.reset();
        vorbis_block_clear(&vb_);
        vorbis_dsp_clear(&vd_);
        vorbis_info_clear(&vi_);
        open_ = false;
    }

    int rate_, kbps_;
    int serial_ = 0x5e1a0000;
    bool open_ = false;
    vorbis_info vi_;
    vorbis_dsp_state vd_;
    vorbis_block vb_;
    std::unique_ptr<OggPages> pages_;
};

}  // namespace

std::unique_ptr<StreamEncoder> MakeOggVorbisEncoder(int rate, int kbps, std::string& error) {
    auto e = std::make_unique<OggVorbisEncoder>(rate, kbps);
    if (e->usable()) return e;
    error = "Ogg Vorbis cannot encode " + std::to_string(kbps) + " kbps at " + std::to_string(rate) + " Hz.";
    return nullptr;
}

}  // namespace audio

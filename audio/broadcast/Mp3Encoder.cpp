#include <lame/lame.h>

#include <memory>
#include <vector>

#include "audio/broadcast/StreamEncoder.h"

namespace audio {
namespace {

// MP3 has no place for the title in the stream; the server is told it aside.
class Mp3Encoder : public StreamEncoder {
  public:
    explicit Mp3Encoder(lame_global_flags* lame) : lame_(lame) {}
    ~Mp3Encoder() override { lame_close(lame_); }

    void begin(const std::string&, std::string&) override {}
    void encode(const float* stereo, int frames, std::string& out) override {
        // The size lame's documentation asks for in the worst case.
        buffer_.resize(size_t(frames) * 5 / 4 + 7200);
        const int n = lame_encode_buffer_interleaved_ieee_float(lame_, stereo, frames, buffer_.data(),
                                                                int(buffer_.size()));
        if (n > 0) out.append(reinterpret_cast<const char*>(buffer_.data()), size_t(n));
    }
    void retitle(const std::string&, std::string&) override {}
    bool titleInStream() const override { return false; }

  private:
    lame_global_flags* lame_;
    std::vector<unsigned char> buffer_;
};

}  // namespace

std::unique_ptr<StreamEncoder> MakeMp3Encoder(int rate, int kbps, std::string& error) {
    lame_global_flags* lame = lame_init();
    if (lame) {
        lame_set_in_samplerate(lame, rate);
        lame_set_num_channels(lame, 2);
        lame_set_brate(lame, kbps);
        lame_set_quality(lame, 5);       // lame's own default trade of speed for quality
        lame_set_bWriteVbrTag(lame, 0);  // a stream has no start to go back to
        if (lame_init_params(lame) >= 0) return std::make_unique<Mp3Encoder>(lame);
        lame_close(lame);
    }
    error = "MP3 cannot encode " + std::to_string(kbps) + " kbps at " + std::to_string(rate) + " Hz.";
    return nullptr;
}

}  // namespace audio

#include "audio/FfmpegDecoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace audio {
namespace {

// Decoding this much before a seek target lets codecs with inter-frame state
// (the MP3 bit reservoir, overlapped transforms) settle before the target;
// after a flush the MP3 decoder was seen to give up to 8 frames (0.2 s) of silence.
constexpr double kSeekPrerollSeconds = 0.5;
// Packets read per refineDuration() step.
constexpr int kScanPacketsPerStep = 2000;
// Rates a song can really have. A damaged header claiming hundreds of MHz
// made the resampler build its filter for seconds and take gigabytes; one
// claiming a few Hz multiplied every sample by tens of thousands.
constexpr int kMinSourceRate = 1000, kMaxSourceRate = 768000;

bool plausibleRate(int rate) {
    return rate >= kMinSourceRate && rate <= kMaxSourceRate;
}

class FfmpegDecoder : public Decoder {
  public:
    FfmpegDecoder(int rate) : rate_(rate) {}
    ~FfmpegDecoder() override {
        swr_free(&swr_);
        av_frame_free(&frame_);
        av_packet_free(&pkt_);
        avcodec_free_context(&codec_);
        avformat_close_input(&fmt_);
        avformat_close_input(&scan_);
        av_channel_layout_uninit(&swrLayout_);
    }

    bool open(const std::string& path, std::string& error);
    int read(float* out, int maxFrames) override;
    bool seek(int64_t frame) override;
    int64_t position() const override { return pos_; }
    int64_t durationFrames() const override { return duration_; }
    bool refineDuration() override;

  private:
    bool decodeMore();
    void convert(const AVFrame* f);
    bool configureResampler(const AVFrame* f);
    bool copyDirect(const AVFrame* f, int skip);
    void resample(const uint8_t** in, int samples);

    const int rate_;
    AVFormatContext* fmt_ = nullptr;
    AVFormatContext* scan_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* pkt_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVChannelLayout swrLayout_{};
    int swrRate_ = 0, swrFormat_ = -1, swrOutChannels_ = 2;
    int stream_ = -1;
    AVRational tb_{1, 1};
    int64_t startPts_ = 0;

    std::vector<float> pending_;  // converted stereo frames not yet read
    size_t pendingOff_ = 0;
    std::vector<float> scratch_;
    int64_t pos_ = 0;
    int64_t duration_ = 0;
    int64_t discardTo_ = -1;  // after a seek: source sample the output must start at
    int64_t srcNext_ = 0;     // source sample index of the next decoded sample
    bool flushed_ = false, dry_ = false, originKnown_ = false;
    int badPackets_ = 0;
    int64_t scanTotal_ = 0;
    // Where the container only guessed the length, its seek index is a guess
    // too: seeks then count packets from the start instead.
    bool countedSeek_ = false;
};

std::string avError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

bool FfmpegDecoder::open(const std::string& path, std::string& error) {
    int r = avformat_open_input(&fmt_, path.c_str(), nullptr, nullptr);
    if (r < 0) {
        error = r == AVERROR_INVALIDDATA ? "not an audio file" : "cannot open the file: " + avError(r);
        return false;
    }
    if (avformat_find_stream_info(fmt_, nullptr) < 0) {
        error = "not an audio file";
        return false;
    }
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0 || !codec) {
        error =
            stream_ == AVERROR_DECODER_NOT_FOUND ? "no decoder for this audio format" : "not an audio file";
        return false;
    }
    AVStream* st = fmt_->streams[stream_];
    tb_ = st->time_base;
    startPts_ = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    codec_ = avcodec_alloc_context3(codec);
    pkt_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!codec_ || !pkt_ || !frame_ || avcodec_parameters_to_context(codec_, st->codecpar) < 0) {
        error = "out of memory";
        return false;
    }
    codec_->pkt_timebase = tb_;
    if (avcodec_open2(codec_, codec, nullptr) < 0) {
        error = "cannot decode this audio format";
        return false;
    }
    if (codec_->sample_rate != 0 && !plausibleRate(codec_->sample_rate)) {
        error = "unsupported sample rate: " + std::to_string(codec_->sample_rate) + " Hz";
        return false;
    }
    for (unsigned i = 0; i < fmt_->nb_streams; ++i)
        if (int(i) != stream_) fmt_->streams[i]->discard = AVDISCARD_ALL;

    if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0)
        duration_ = av_rescale(fmt_->duration, rate_, AV_TIME_BASE);
    else if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        duration_ = av_rescale(st->duration * tb_.num, rate_, tb_.den);

    // A guess from the bit rate is wrong for variable-rate files without a
    // header that says their length; counting the packets gets it right.
    countedSeek_ = fmt_->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    if (countedSeek_ && avformat_open_input(&scan_, path.c_str(), nullptr, nullptr) < 0) scan_ = nullptr;

    // Decoding the first frame now proves the file is audio and puts the
    // first samples in hand before the decoder thread even wakes.
    if (!decodeMore()) {
        error = "the file holds no playable audio";
        return false;
    }
    return true;
}

bool FfmpegDecoder::refineDuration() {
    if (!scan_) return false;
    for (int i = 0; i < kScanPacketsPerStep; ++i) {
        AVPacket* p = pkt_;
        const int r = av_read_frame(scan_, p);
        if (r < 0) {
            avformat_close_input(&scan_);
            if (scanTotal_ > 0) duration_ = av_rescale(scanTotal_ * tb_.num, rate_, tb_.den);
            return false;
        }
        if (p->stream_index == stream_) scanTotal_ += p->duration;
        av_packet_unref(p);
    }
    return true;
}

bool FfmpegDecoder::configureResampler(const AVFrame* f) {
    if (swr_ && f->sample_rate == swrRate_ && f->format == swrFormat_ &&
        av_channel_layout_compare(&f->ch_layout, &swrLayout_) == 0)
        return true;
    swr_free(&swr_);
    av_channel_layout_uninit(&swrLayout_);
    if (!plausibleRate(f->sample_rate)) return false;
    AVChannelLayout in{};
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || !av_channel_layout_check(&f->ch_layout))
        av_channel_layout_default(&in, std::max(1, f->ch_layout.nb_channels));
    else
        av_channel_layout_copy(&in, &f->ch_layout);
    // Mono goes out on both sides at full level, not the -3 dB a downmix matrix would use.
    swrOutChannels_ = in.nb_channels == 1 ? 1 : 2;
    AVChannelLayout out{};
    av_channel_layout_default(&out, swrOutChannels_);
    const int r = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, rate_, &in, AVSampleFormat(f->format),
                                      f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    if (r < 0 || swr_init(swr_) < 0) {
        swr_free(&swr_);
        return false;
    }
    av_channel_layout_copy(&swrLayout_, &f->ch_layout);
    swrRate_ = f->sample_rate;
    swrFormat_ = f->format;
    return true;
}

void FfmpegDecoder::resample(const uint8_t** in, int samples) {
    const int cap = swr_get_out_samples(swr_, samples) + 16;
    scratch_.resize(size_t(cap) * swrOutChannels_);
    uint8_t* out = reinterpret_cast<uint8_t*>(scratch_.data());
    const int got = swr_convert(swr_, &out, cap, in, samples);
    if (got <= 0) return;
    if (swrOutChannels_ == 2) {
        pending_.insert(pending_.end(), scratch_.begin(), scratch_.begin() + 2 * got);
    } else {
        for (int i = 0; i < got; ++i) pending_.insert(pending_.end(), 2, scratch_[i]);
    }
}

bool FfmpegDecoder::copyDirect(const AVFrame* f, int skip) {
    // Float at the engine's rate in one or two channels (most MP3 and WMA)
    // needs no resampler: interleaving by hand halves the cost of decoding.
    const int channels = f->ch_layout.nb_channels;
    if (swr_ || f->sample_rate != rate_ || channels < 1 || channels > 2 ||
        (f->format != AV_SAMPLE_FMT_FLTP && f->format != AV_SAMPLE_FMT_FLT))
        return false;
    const int n = f->nb_samples - skip;
    const size_t at = pending_.size();
    pending_.resize(at + 2 * size_t(std::max(0, n)));
    float* out = pending_.data() + at;
    if (f->format == AV_SAMPLE_FMT_FLT) {
        const float* in = reinterpret_cast<const float*>(f->extended_data[0]) + size_t(skip) * channels;
        for (int i = 0; i < n; ++i)
            out[2 * i] = in[i * channels], out[2 * i + 1] = in[i * channels + channels - 1];
    } else {
        const float* l = reinterpret_cast<const float*>(f->extended_data[0]) + skip;
        const float* r = reinterpret_cast<const float*>(f->extended_data[channels - 1]) + skip;
        for (int i = 0; i < n; ++i) out[2 * i] = l[i], out[2 * i + 1] = r[i];
    }
    return true;
}

void FfmpegDecoder::convert(const AVFrame* f) {
    int skip = 0;
    if (discardTo_ >= 0) {
        // The first frame after a seek fixes where we are; everything before
        // the target goes.
        if (!countedSeek_ && f->best_effort_timestamp != AV_NOPTS_VALUE)
            srcNext_ = av_rescale_q(f->best_effort_timestamp - startPts_, tb_, AVRational{1, f->sample_rate});
        if (srcNext_ + f->nb_samples <= discardTo_) {
            srcNext_ += f->nb_samples;
            return;
        }
        skip = int(std::max<int64_t>(0, discardTo_ - srcNext_));
        discardTo_ = -1;
    } else if (!originKnown_ && f->best_effort_timestamp != AV_NOPTS_VALUE) {
        // Position 0 is the first sample decoded from the start. Codecs that
        // need a frame or two to get going label it with a later timestamp
        // than the stream's start; seeking must count from the same origin.
        startPts_ = f->best_effort_timestamp;
    }
    originKnown_ = true;
    srcNext_ += f->nb_samples;
    if (copyDirect(f, skip)) return;
    if (!configureResampler(f)) return;
    const int bytes = av_get_bytes_per_sample(AVSampleFormat(f->format));
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(f->format));
    const int channels = f->ch_layout.nb_channels;
    // The resampler reads one plane per channel, and there may be more than
    // the frame's fixed array holds.
    std::vector<const uint8_t*> planes(planar ? channels : 1);
    for (size_t c = 0; c < planes.size(); ++c)
        planes[c] = f->extended_data[c] + size_t(skip) * bytes * (planar ? 1 : channels);
    resample(planes.data(), f->nb_samples - skip);
}

bool FfmpegDecoder::decodeMore() {
    pending_.clear();
    pendingOff_ = 0;
    while (pending_.empty()) {
        if (dry_) return false;
        int r = avcodec_receive_frame(codec_, frame_);
        if (r == 0) {
            convert(frame_);
            av_frame_unref(frame_);
            continue;
        }
        if (r != AVERROR(EAGAIN)) {
            // Decoder finished (or broke): what the resampler still holds is the tail.
            if (swr_) resample(nullptr, 0);
            dry_ = true;
            return !pending_.empty();
        }
        if (flushed_) {
            dry_ = true;
            continue;
        }
        r = av_read_frame(fmt_, pkt_);
        if (r < 0) {
            // End of file, or the file went away or broke off: drain the decoder.
            avcodec_send_packet(codec_, nullptr);
            flushed_ = true;
            continue;
        }
        if (pkt_->stream_index == stream_) {
            r = avcodec_send_packet(codec_, pkt_);
            // A corrupt packet is skipped; a file of nothing but corrupt packets ends.
            if (r < 0 && r != AVERROR(EAGAIN) && ++badPackets_ > 200) {
                avcodec_send_packet(codec_, nullptr);
                flushed_ = true;
            }
        }
        av_packet_unref(pkt_);
    }
    return true;
}

int FfmpegDecoder::read(float* out, int maxFrames) {
    int done = 0;
    while (done < maxFrames) {
        const size_t avail = (pending_.size() - pendingOff_) / 2;
        if (avail == 0) {
            if (!decodeMore()) break;
            continue;
        }
        const int n = int(std::min<size_t>(avail, size_t(maxFrames - done)));
        std::memcpy(out + 2 * done, pending_.data() + pendingOff_, sizeof(float) * 2 * n);
        pendingOff_ += 2 * size_t(n);
        done += n;
    }
    pos_ += done;
    return done;
}

bool FfmpegDecoder::seek(int64_t frame) {
    frame = std::max<int64_t>(0, frame);
    const int srcRate = codec_->sample_rate > 0 ? codec_->sample_rate : rate_;
    const AVRational srcTb{1, srcRate};
    const int64_t target = av_rescale(frame, srcRate, rate_);
    const int64_t from = std::max<int64_t>(0, target - int64_t(kSeekPrerollSeconds * srcRate));
    avcodec_flush_buffers(codec_);
    swr_free(&swr_);
    pending_.clear();
    pendingOff_ = 0;
    discardTo_ = target;
    flushed_ = dry_ = false;
    badPackets_ = 0;
    pos_ = frame;

    int r = countedSeek_ ? -1
                         : av_seek_frame(fmt_, stream_, startPts_ + av_rescale_q(from, srcTb, tb_),
                                         AVSEEK_FLAG_BACKWARD);
    srcNext_ = from;
    if (r >= 0) return true;
    // From the start, skipping whole packets (without decoding them) up to
    // the pre-roll point, counting their samples.
    r = av_seek_frame(fmt_, stream_, startPts_, AVSEEK_FLAG_BACKWARD);
    if (r < 0) r = av_seek_frame(fmt_, -1, 0, AVSEEK_FLAG_BYTE);
    srcNext_ = 0;
    while (av_read_frame(fmt_, pkt_) >= 0) {
        if (pkt_->stream_index == stream_) {
            const int64_t d = av_rescale_q(pkt_->duration, tb_, srcTb);
            if (d <= 0 || srcNext_ + d > from) {
                avcodec_send_packet(codec_, pkt_);
                av_packet_unref(pkt_);
                break;
            }
            srcNext_ += d;
        }
        av_packet_unref(pkt_);
    }
    // Without timestamps to trust, the first frame decoded is at srcNext_.
    countedSeek_ = true;
    return r >= 0;
}

std::once_flag g_quiet;

}  // namespace

std::unique_ptr<Decoder> openFfmpegDecoder(const std::string& path, int rate, std::string& error) {
    // Bad files are reported through the caller; FFmpeg's own chatter would only clutter stderr.
    std::call_once(g_quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    auto d = std::make_unique<FfmpegDecoder>(rate);
    if (!d->open(path, error)) return nullptr;
    return d;
}

}  // namespace audio

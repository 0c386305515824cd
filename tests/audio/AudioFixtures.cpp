#include "AudioFixtures.h"

#include <cmath>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace fixtures {
namespace {

void fill(AVFrame* f, long first, const SampleFn& sample, long total) {
    const int ch = f->ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(f->format));
    const AVSampleFormat packed = av_get_packed_sample_fmt(AVSampleFormat(f->format));
    for (int i = 0; i < f->nb_samples; ++i)
        for (int c = 0; c < ch; ++c) {
            const double v = first + i < total ? std::clamp(sample(first + i, c), -1.0, 1.0) : 0.0;
            const int idx = planar ? i : i * ch + c;
            uint8_t* base = f->extended_data[planar ? c : 0];
            if (packed == AV_SAMPLE_FMT_FLT)
                reinterpret_cast<float*>(base)[idx] = float(v);
            else if (packed == AV_SAMPLE_FMT_S16)
                reinterpret_cast<int16_t*>(base)[idx] = int16_t(std::lround(v * 32767));
            else if (packed == AV_SAMPLE_FMT_S32)
                reinterpret_cast<int32_t*>(base)[idx] = int32_t(std::lround(v * 2147483000.0));
            else if (packed == AV_SAMPLE_FMT_U8)
                base[idx] = uint8_t(std::lround(v * 127 + 128));
        }
}

bool drain(AVCodecContext* ctx, AVFormatContext* oc, AVStream* st, AVPacket* pkt) {
    int r;
    while ((r = avcodec_receive_packet(ctx, pkt)) == 0) {
        av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
        pkt->stream_index = st->index;
        if (av_interleaved_write_frame(oc, pkt) < 0) return false;
    }
    return r == AVERROR(EAGAIN) || r == AVERROR_EOF;
}

}  // namespace

bool encode(const std::string& path, const Encoding& enc, int rate, int channels, long frames,
            const SampleFn& sample) {
    AVFormatContext* oc = nullptr;
    if (avformat_alloc_output_context2(&oc, nullptr, enc.muxer, path.c_str()) < 0) return false;
    const AVCodec* codec = avcodec_find_encoder_by_name(enc.codec);
    AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVStream* st = avformat_new_stream(oc, nullptr);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* f = av_frame_alloc();
    bool ok = ctx && st && pkt && f;
    if (ok) {
        ctx->sample_rate = rate;
        av_channel_layout_default(&ctx->ch_layout, channels);
        ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        ctx->time_base = {1, rate};
        ctx->bit_rate = 128000;
        if (enc.vbrQuality >= 0) {
            ctx->flags |= AV_CODEC_FLAG_QSCALE;
            ctx->global_quality = FF_QP2LAMBDA * enc.vbrQuality;
        }
        if (oc->oformat->flags & AVFMT_GLOBALHEADER) ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        ok = avcodec_open2(ctx, codec, nullptr) >= 0 &&
             avcodec_parameters_from_context(st->codecpar, ctx) >= 0;
    }
    if (ok) {
        st->time_base = {1, rate};
        AVDictionary* opts = nullptr;
        if (!enc.xingHeader) av_dict_set(&opts, "write_xing", "0", 0);
        ok = avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(oc, &opts) >= 0;
        av_dict_free(&opts);
    }
    const bool variable = ctx && (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    const int frameSize = ctx && ctx->frame_size > 0 && !variable ? ctx->frame_size : 1024;
    const bool smallLast = ctx && (variable || (codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME));
    for (long done = 0; ok && done < frames; done += frameSize) {
        f->nb_samples = smallLast ? int(std::min<long>(frameSize, frames - done)) : frameSize;
        f->format = ctx->sample_fmt;
        f->sample_rate = rate;
        av_channel_layout_copy(&f->ch_layout, &ctx->ch_layout);
        ok = av_frame_get_buffer(f, 0) >= 0;
        if (!ok) break;
        fill(f, done, sample, frames);
        f->pts = done;
        ok = avcodec_send_frame(ctx, f) >= 0 && drain(ctx, oc, st, pkt);
        av_frame_unref(f);
    }
    if (ok)
        ok = avcodec_send_frame(ctx, nullptr) >= 0 && drain(ctx, oc, st, pkt) && av_write_trailer(oc) >= 0;
    if (oc && oc->pb) avio_closep(&oc->pb);
    av_frame_free(&f);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    avformat_free_context(oc);
    return ok;
}

namespace {
void vlq(std::vector<uint8_t>& b, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = v & 0x7f;
    while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7f));
    while (n) b.push_back(tmp[--n]);
}
void be32(std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
void chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    be32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}
}  // namespace

void MidiWriter::tempo(uint32_t delta, uint32_t us) {
    vlq(tempoTrack, delta);
    tempoTrack.insert(tempoTrack.end(), {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

void MidiWriter::note(uint32_t delta, uint8_t key, uint32_t length, uint8_t channel) {
    vlq(noteTrack, delta);
    noteTrack.insert(noteTrack.end(), {uint8_t(0x90 | channel), key, 100});
    vlq(noteTrack, length);
    noteTrack.insert(noteTrack.end(), {uint8_t(0x80 | channel), key, 0});
}

void MidiWriter::program(uint32_t delta, uint8_t channel, uint8_t prog) {
    vlq(noteTrack, delta);
    noteTrack.insert(noteTrack.end(), {uint8_t(0xC0 | channel), prog});
}

std::vector<uint8_t> MidiWriter::bytes() const {
    std::vector<uint8_t> out, header = {0, 1, 0, 2, uint8_t(division >> 8), uint8_t(division)};
    chunk(out, "MThd", header);
    for (auto track : {tempoTrack, noteTrack}) {
        track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
        chunk(out, "MTrk", track);
    }
    return out;
}

std::vector<uint8_t> wrapRmi(const std::vector<uint8_t>& smf) {
    auto le32 = [](std::vector<uint8_t>& b, uint32_t v) {
        for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(v >> s));
    };
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    const uint32_t pad = smf.size() & 1;
    le32(out, uint32_t(4 + 8 + 4 + 8 + smf.size() + pad));
    out.insert(out.end(), {'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T'});
    le32(out, 4);
    out.insert(out.end(), {'I', 'N', 'F', 'O'});  // an empty list before the data, as some editors write
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    le32(out, uint32_t(smf.size()));
    out.insert(out.end(), smf.begin(), smf.end());
    if (pad) out.push_back(0);
    return out;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

PlayOut renderUntilEnd(audio::Engine& engine, audio::Deck* deck, double maxSeconds, std::vector<float>* out,
                       int chunk) {
    PlayOut run;
    std::vector<float> buf(2 * size_t(chunk));
    const long limit = long(maxSeconds * engine.rate());
    for (long done = 0; done < limit; done += chunk) {
        engine.pump();
        engine.render(buf.data(), chunk);
        if (out) out->insert(out->end(), buf.begin(), buf.end());
        run.renderedSeconds += double(chunk) / engine.rate();
        if (deck->takeEnded()) {
            ++run.ends;
            run.endPosition = deck->position();
            // Keep going a little: a second end would be a fault.
            maxSeconds = std::min(maxSeconds, run.renderedSeconds + 0.5);
            if (done + chunk >= long(maxSeconds * engine.rate())) break;
        }
        if (run.ends && run.renderedSeconds >= maxSeconds) break;
    }
    return run;
}

void renderFor(audio::Engine& engine, double seconds, std::vector<float>* out, int chunk) {
    std::vector<float> buf(2 * size_t(chunk));
    for (long done = 0; done < long(seconds * engine.rate()); done += chunk) {
        engine.pump();
        engine.render(buf.data(), chunk);
        if (out) out->insert(out->end(), buf.begin(), buf.end());
    }
}

double rms(const std::vector<float>& s, size_t from, size_t frames) {
    double sum = 0;
    for (size_t i = from; i < from + frames && 2 * i < s.size(); ++i) sum += double(s[2 * i]) * s[2 * i];
    return std::sqrt(sum / double(frames));
}

double dB(double ratio) {
    return 20 * std::log10(ratio);
}

long firstAbove(const std::vector<float>& s, double threshold, size_t from) {
    for (size_t i = from; 2 * i < s.size(); ++i)
        if (std::fabs(s[2 * i]) > threshold) return long(i);
    return -1;
}

long bestLag(const std::vector<float>& whole, const std::vector<float>& part, long expected, long range,
             size_t length) {
    long best = expected;
    double bestErr = 1e300;
    for (long lag = expected - range; lag <= expected + range; ++lag) {
        if (lag < 0 || 2 * (size_t(lag) + length) > whole.size()) continue;
        double err = 0;
        for (size_t i = 0; i < length; ++i) {
            const double d = double(whole[2 * (lag + i)]) - part[2 * i];
            err += d * d;
        }
        if (err < bestErr) bestErr = err, best = lag;
    }
    return best;
}

double toneAmplitude(const std::vector<float>& s, int rate, double hz, size_t from, size_t frames) {
    double re = 0, im = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double ph = 2 * M_PI * hz * double(i) / rate;
        re += s[2 * (from + i)] * std::cos(ph);
        im += s[2 * (from + i)] * std::sin(ph);
    }
    return 2 * std::hypot(re, im) / double(frames);
}

double chirp(long frame, int rate, double amp) {
    const double t = double(frame) / rate;
    // Sweeping pitch with a wobble: no two stretches alike, so alignment is unambiguous.
    return amp * std::sin(2 * M_PI * (220 * t + 90 * t * t) + 2 * std::sin(2 * M_PI * 3.3 * t));
}

}  // namespace fixtures

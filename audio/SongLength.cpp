#include "audio/SongLength.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/Decoder.h"
#include "audio/MidiFile.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace audio {

namespace {

double midiLength(const std::string& path) {
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
        std::fclose(f);
    }
    const uint8_t* smf = data.data();
    size_t size = data.size();
    if (!unwrapRmi(data.data(), data.size(), &smf, &size)) {
        smf = data.data();
        size = data.size();
    }
    MidiSong song;
    std::string error;
    return parseMidi(smf, size, song, error) ? song.duration : -1;
}

}  // namespace

double songLengthSeconds(const std::string& path) {
    unsigned char head[16] = {};
    size_t got = 0;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        got = std::fread(head, 1, sizeof head, f);
        std::fclose(f);
    }
    const FileKind kind = sniffKind(head, got);
    if (kind == FileKind::Unknown) return -1;
    if (kind != FileKind::Other) return midiLength(path);
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return -1;
    double seconds = -1;
    // Most headers state the stream's length (WAV, an MP3's Xing frame, ASF),
    // which needs no decoding at all.
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && st->duration > 0 &&
            st->duration != AV_NOPTS_VALUE)
            seconds = std::max(seconds, st->duration * av_q2d(st->time_base));
    }
    // Otherwise the stream probe estimates it (an MP3 from its bit rate).
    if (seconds < 0 && avformat_find_stream_info(fmt, nullptr) >= 0 && fmt->duration > 0)
        seconds = double(fmt->duration) / AV_TIME_BASE;
    avformat_close_input(&fmt);
    return seconds;
}

}  // namespace audio

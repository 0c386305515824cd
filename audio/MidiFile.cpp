#include "audio/MidiFile.h"

#include <algorithm>
#include <cstring>

namespace audio {
namespace {

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

struct Reader {
    const uint8_t* p;
    const uint8_t* end;
    bool ok = true;
    uint8_t byte() {
        if (p >= end) {
            ok = false;
            return 0;
        }
        return *p++;
    }
    uint32_t vlq() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t b = byte();
            v = (v << 7) | (b & 0x7f);
            if (!(b & 0x80)) return v;
        }
        ok = false;  // longer than the format allows
        return v;
    }
    bool skip(uint32_t n) {
        if (uint64_t(end - p) < n) return ok = false;
        p += n;
        return true;
    }
};

struct RawEvent {
    uint64_t tick;
    uint32_t order;  // keeps same-tick events in file order
    MidiEvent ev;
};

struct Tempo {
    uint64_t tick;
    uint32_t order;
    uint32_t usPerQuarter;
};

// Reads one track's events; returns the tick of its last event.
uint64_t readTrack(Reader r, std::vector<RawEvent>& out, std::vector<Tempo>& tempos,
                   std::vector<uint8_t>& sysex, uint32_t& order) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (r.p < r.end) {
        const uint32_t delta = r.vlq();
        if (!r.ok) break;
        uint8_t status = r.byte();
        if (!r.ok) break;
        if (status == 0xFF) {
            const uint8_t type = r.byte();
            const uint32_t len = r.vlq();
            const uint8_t* d = r.p;
            if (!r.skip(len)) break;
            tick += delta;
            if (type == 0x51 && len >= 3)
                tempos.push_back({tick, order++, uint32_t(d[0] << 16 | d[1] << 8 | d[2])});
            if (type == 0x2F) break;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            const uint32_t len = r.vlq();
            const uint8_t* d = r.p;
            if (!r.skip(len)) break;
            tick += delta;
            uint32_t n = len;
            if (n > 0 && d[n - 1] == 0xF7) --n;
            if (status == 0xF0 && n > 0) {
                MidiEvent e;
                e.status = 0xF0;
                e.sysexOffset = uint32_t(sysex.size());
                e.sysexSize = n;
                sysex.insert(sysex.end(), d, d + n);
                out.push_back({tick, order++, e});
            }
            continue;
        }
        if (status < 0x80) {
            if (!running) break;  // data byte with no status to run on
            --r.p;
            status = running;
        } else if (status >= 0xF0) {
            break;  // real-time and common messages do not belong in a file
        }
        running = status;
        MidiEvent e;
        e.status = status;
        e.data1 = r.byte() & 0x7f;
        const uint8_t kind = status & 0xF0;
        if (kind != 0xC0 && kind != 0xD0) e.data2 = r.byte() & 0x7f;
        if (!r.ok) break;
        tick += delta;
        out.push_back({tick, order++, e});
    }
    return tick;
}

}  // namespace

bool unwrapRmi(const uint8_t* data, size_t size, const uint8_t** smf, size_t* smfSize) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "RMID", 4) != 0) return false;
    size_t at = 12;
    // The pad byte after an odd-sized last chunk may lie past the end.
    while (at <= size && size - at >= 8) {
        const uint32_t len = le32(data + at + 4);
        const size_t body = at + 8;
        if (std::memcmp(data + at, "data", 4) == 0) {
            *smf = data + body;
            *smfSize = std::min<size_t>(len, size - body);  // a cut-off chunk keeps what is there
            return true;
        }
        if (len > size - body) return false;
        at = body + len + (len & 1);  // chunks are padded to even sizes
    }
    return false;
}

bool parseMidi(const uint8_t* data, size_t size, MidiSong& song, std::string& error) {
    song = MidiSong{};
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0 || be32(data + 4) < 6) {
        error = "not a MIDI file";
        return false;
    }
    const uint32_t headerLen = be32(data + 4);
    const int division = data[12] << 8 | data[13];
    if (division == 0) {
        error = "damaged MIDI file header";
        return false;
    }
    std::vector<RawEvent> raw;
    std::vector<Tempo> tempos;
    uint64_t lastTick = 0;
    uint32_t order = 0;
    int tracks = 0;
    size_t at = headerLen > size - 8 ? size : 8 + headerLen;
    while (size - at >= 8) {
        const uint32_t len = be32(data + at + 4);
        const size_t body = at + 8;
        const size_t avail = std::min<size_t>(len, size - body);
        if (std::memcmp(data + at, "MTrk", 4) == 0) {
            lastTick = std::max(
                lastTick, readTrack({data + body, data + body + avail}, raw, tempos, song.sysex, order));
            ++tracks;
        }
        at = body + avail;
    }
    if (tracks == 0) {
        error = "the MIDI file has no tracks";
        return false;
    }
    auto byTime = [](const auto& a, const auto& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    };
    std::sort(raw.begin(), raw.end(), byTime);
    std::sort(tempos.begin(), tempos.end(), byTime);

    // Ticks to seconds: SMPTE divisions tick at a fixed rate; otherwise walk the tempo map.
    double fixedTickSeconds = 0;
    if (division & 0x8000) {
        const int fps = -int8_t(division >> 8);
        const int perFrame = division & 0xff;
        fixedTickSeconds = 1.0 / ((fps == 29 ? 29.97 : std::max(fps, 1)) * std::max(perFrame, 1));
    }
    size_t ti = 0;
    uint64_t baseTick = 0;
    double baseSeconds = 0, tickSeconds = fixedTickSeconds ? fixedTickSeconds : 0.5 / division;
    auto secondsAt = [&](uint64_t tick) {
        if (!fixedTickSeconds) {
            while (ti < tempos.size() && tempos[ti].tick <= tick) {
                baseSeconds += double(tempos[ti].tick - baseTick) * tickSeconds;
                baseTick = tempos[ti].tick;
                tickSeconds = tempos[ti].usPerQuarter / 1e6 / division;
                ++ti;
            }
        }
        return baseSeconds + double(tick - baseTick) * tickSeconds;
    };
    song.events.reserve(raw.size());
    for (RawEvent& r : raw) {
        r.ev.seconds = secondsAt(r.tick);
        song.events.push_back(r.ev);
    }
    song.duration = secondsAt(lastTick);
    return true;
}

}  // namespace audio

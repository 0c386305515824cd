#include "audio/MidiDecoder.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <sys/stat.h>

#include "audio/MidiFile.h"

namespace audio {
namespace {

class MidiDecoder : public Decoder {
  public:
    MidiDecoder(MidiSong song, std::string font, int rate)
        : song_(std::move(song)), font_(std::move(font)), rate_(rate) {
        frames_.reserve(song_.events.size());
        for (const MidiEvent& e : song_.events) frames_.push_back(std::llround(e.seconds * rate_));
        end_ = std::llround(song_.duration * rate_);
    }
    ~MidiDecoder() override {
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
    }

    // Loading the sound font takes a tenth of a second or more, so it happens
    // on the decoder thread at the first read, not in the caller's open.
    bool start() {
        if (started_) return synth_ != nullptr;
        started_ = true;
        settings_ = new_fluid_settings();
        if (!settings_) return false;
        fluid_settings_setnum(settings_, "synth.sample-rate", rate_);
        fluid_settings_setnum(settings_, "synth.gain", 0.8);
        fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
        synth_ = new_fluid_synth(settings_);
        if (synth_ && fluid_synth_sfload(synth_, font_.c_str(), 1) == FLUID_FAILED) {
            delete_fluid_synth(synth_);
            synth_ = nullptr;  // the song then ends at once rather than play nothing for its length
        }
        return synth_ != nullptr;
    }

    int read(float* out, int maxFrames) override {
        if (!start()) return 0;
        const int n = int(std::clamp<int64_t>(end_ - pos_, 0, maxFrames));
        int done = 0;
        while (done < n) {
            // Events fire at their exact frame: render up to the next one, then send it.
            while (next_ < frames_.size() && frames_[next_] <= pos_ + done) send(song_.events[next_++], true);
            int chunk = n - done;
            if (next_ < frames_.size()) chunk = int(std::min<int64_t>(chunk, frames_[next_] - (pos_ + done)));
            fluid_synth_write_float(synth_, chunk, out + 2 * done, 0, 2, out + 2 * done, 1, 2);
            done += chunk;
        }
        pos_ += n;
        return n;
    }

    bool seek(int64_t frame) override {
        frame = std::clamp<int64_t>(frame, 0, end_);
        if (!start()) return false;
        fluid_synth_system_reset(synth_);
        // Replays the controller and program state up to the target, without its notes.
        next_ = 0;
        while (next_ < frames_.size() && frames_[next_] < frame) send(song_.events[next_++], false);
        pos_ = frame;
        return true;
    }

    int64_t position() const override { return pos_; }
    int64_t durationFrames() const override { return end_; }

  private:
    void send(const MidiEvent& e, bool notes) {
        const int ch = e.status & 0x0f;
        switch (e.status & 0xF0) {
            case 0x80:
                if (notes) fluid_synth_noteoff(synth_, ch, e.data1);
                break;
            case 0x90:
                if (notes) fluid_synth_noteon(synth_, ch, e.data1, e.data2);
                break;
            case 0xA0:
                if (notes) fluid_synth_key_pressure(synth_, ch, e.data1, e.data2);
                break;
            case 0xB0:
                fluid_synth_cc(synth_, ch, e.data1, e.data2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth_, ch, e.data1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth_, ch, e.data1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth_, ch, e.data2 << 7 | e.data1);
                break;
            default:
                if (e.status == 0xF0)
                    fluid_synth_sysex(synth_,
                                      reinterpret_cast<const char*>(song_.sysex.data() + e.sysexOffset),
                                      int(e.sysexSize), nullptr, nullptr, nullptr, 0);
        }
    }

    MidiSong song_;
    const std::string font_;
    bool started_ = false;
    std::vector<int64_t> frames_;
    const int rate_;
    int64_t end_ = 0, pos_ = 0;
    size_t next_ = 0;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

std::once_flag g_quiet;

}  // namespace

std::string findSoundFont() {
    static const char* const kCandidates[] = {
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3"};
    struct stat st;
    for (const char* p : kCandidates)
        if (::stat(p, &st) == 0 && S_ISREG(st.st_mode)) return p;
    return {};
}

std::unique_ptr<Decoder> openMidiDecoder(const std::vector<unsigned char>& file, bool rmi, int rate,
                                         std::string& error) {
    // A bad file is reported to the caller; the synthesizer's log lines would only clutter stderr.
    std::call_once(g_quiet, [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
    const uint8_t* smf = file.data();
    size_t size = file.size();
    if (rmi && !unwrapRmi(file.data(), file.size(), &smf, &size)) {
        error = "damaged RMI file: no MIDI data inside";
        return nullptr;
    }
    MidiSong song;
    if (!parseMidi(smf, size, song, error)) return nullptr;
    const std::string font = findSoundFont();
    if (font.empty()) {
        error = "no General MIDI sound font is installed";
        return nullptr;
    }
    return std::make_unique<MidiDecoder>(std::move(song), font, rate);
}

}  // namespace audio
